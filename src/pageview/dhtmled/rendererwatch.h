#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

class QWebEnginePage;

// Watches that the render process of a page still answers. A question of no weight goes to the page
// every second, in the view's own script world; when none has been answered for a while although
// several were asked, the process counts as hung: a script of the page that never yields would
// otherwise hold the next page, printing and find for good.
class RendererWatch final : public QObject {
    Q_OBJECT

public:
    // How long a page may keep its render process from answering.
    static constexpr std::chrono::milliseconds kAnswerTimeLimit{8000};

    explicit RendererWatch(QWebEnginePage *page);

    // Starts counting afresh, as for a new render process.
    void reset();

    // The page is being left for another document: asks its render process at once, and runs
    // unanswered if it hasn't answered within limit (a question dropped with its page counts as
    // answered). Only the last question counts.
    void askBeforeLeaving(std::chrono::milliseconds limit, const std::function<void()> &unanswered);

signals:

    // The render process has not answered for kAnswerTimeLimit. Emitted once; the watch then starts
    // counting afresh.
    void unresponsive();

private:
    void probe();

    QWebEnginePage *page_;
    QTimer timer_;
    QElapsedTimer sinceAnswer_;
    int unanswered_ = 0;
    quint64 round_ = 0;
    quint64 leaving_ = 0;
};
