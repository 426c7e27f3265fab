#include "rendererwatch.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <memory>

namespace {

constexpr std::chrono::milliseconds kProbeInterval{1000};
// A question can be lost when the page replaces its document; one more must go unanswered.
constexpr int kUnansweredProbes = 3;

} // namespace

RendererWatch::RendererWatch(QWebEnginePage *page) : QObject(page), page_(page)
{
    timer_.callOnTimeout(this, &RendererWatch::probe);
    timer_.start(kProbeInterval);
    sinceAnswer_.start();
}

void RendererWatch::reset()
{
    ++round_;
    unanswered_ = 0;
    sinceAnswer_.restart();
}

void RendererWatch::probe()
{
    // No render process yet, or none since the last one ended: nothing to ask.
    if (page_->renderProcessPid() <= 0) {
        reset();
        return;
    }
    if (unanswered_ >= kUnansweredProbes && sinceAnswer_.elapsed() >= kAnswerTimeLimit.count()) {
        reset();
        emit unresponsive();
        return;
    }
    ++unanswered_;
    const QPointer<RendererWatch> self(this);
    const quint64 round = round_;
    page_->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld, [self, round](const QVariant &) {
        if (self && self->round_ == round) {
            self->unanswered_ = 0;
            self->sinceAnswer_.restart();
        }
    });
}

void RendererWatch::askBeforeLeaving(std::chrono::milliseconds limit, const std::function<void()> &unanswered)
{
    const quint64 leaving = ++leaving_;
    // The answer may come after the watch is gone.
    auto answered = std::make_shared<bool>(false);
    page_->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                         [answered](const QVariant &) { *answered = true; });
    QTimer::singleShot(limit, this, [this, answered, leaving, unanswered] {
        if (!*answered && leaving == leaving_)
            unanswered();
    });
}
