#pragma once

#include "readeractions.h"
#include "readerservices.h"

#include <pageview/pageview.h>

#include <QObject>

class QWidget;

namespace reader {

class Announcement;
class ContentsReader;
class GoToPageField;
class PlaceKeeper;
class ReadingSession;
class SidePanel;
class StatusBand;

// What comes beside the described reader window once it is shown: the keys of every command, zoom,
// full screen, the band that says where the reader is, the side panel with the contents and the
// pages found in the whole book, go to page, and the place where the reader left the book at the last
// run. The buttons' own commands run the window's handlers (buttonCommand).
class ReadingAids final : public QObject {
    Q_OBJECT

public:
    ReadingAids(QWidget &window, pageview::PageView &view, ReadingSession &session, const ReaderServices &services,
                const std::function<void(ReaderActions::Command)> &buttonCommand);

    ReaderActions &actions() { return *actions_; }
    // Looks up where the book with this title, at bookPath, was left at the last run, to offer it.
    void findPlace(const QString &title, const QString &bookPath);
    // The page view, its band below it and the side panel beside it, in what the window leaves
    // between the page view's place and the margins right and bottom.
    void place(int rightMargin, int bottomMargin);
    // Keeps where the reader is, once, as the reading ends.
    void rememberPlace();
    // The window's own text colour, black, is the window's alone: the band and the panels take the
    // system's, so that they read in light and dark themes alike.
    void followSystemPalette();
    // Gives the keyboard focus back to the page, where its keys scroll it, as a panel, field or dialog
    // closes.
    void focusPage();

private:
    void run(ReaderActions::Command command);
    // What shows where the reader is follows each handler.
    void followSession(bool pageChanged);
    void showPlace();
    void makeSidePanel();
    void goToPageByName();
    void continueReading();
    void showMenu(const QPoint &at);

    QWidget &window_;
    pageview::PageView &view_;
    ReadingSession &session_;
    const ReaderServices &services_;
    std::function<void(ReaderActions::Command)> buttonCommand_;
    ReaderActions *actions_;
    StatusBand *band_;
    // Tells a screen reader each page shown, as the band says it.
    Announcement *announcement_;
    ContentsReader *contents_;
    SidePanel *sidePanel_ = nullptr;
    GoToPageField *goTo_ = nullptr;
    PlaceKeeper *places_ = nullptr;
    int rightMargin_ = 0;
    int bottomMargin_ = 0;
};

} // namespace reader
