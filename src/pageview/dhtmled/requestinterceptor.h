#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Lets the page view load its own content and nothing else: every request that does not go to the
// view's URL scheme (the network, file: URLs, web sockets, …) is blocked. Which files the scheme
// serves is the scheme handler's decision.
class RequestInterceptor final : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT

public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};
