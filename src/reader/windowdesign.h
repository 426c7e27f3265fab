#pragma once

#include <QColor>
#include <QIcon>

namespace reader {

class Form1;
class PictureButton;
struct ReaderServices;

// The user-interface colours the buttons were designed with, by the platform's numbers.
QColor systemColour(int index);

// The picture of each toolbar button: the names tested and loaded, first in the images folder, then
// beside the program. Some carry a trailing blank; it names the same file as without.
struct PictureNames {
    PictureButton *Form1::*button;
    const char *firstTested;
    const char *firstLoaded;
    const char *secondTested;
    const char *secondLoaded;
};
extern const PictureNames kToolbarPictures[7];
// Gives each button of window its picture, by the names above, where a file has one of them.
void loadButtonPictures(Form1 &window, const ReaderServices &services);

// The reader's own icon, in every size it is drawn at.
QIcon readerIcon();

} // namespace reader
