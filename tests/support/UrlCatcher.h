// Catches the addresses the program asks the desktop to open, instead of opening them.
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

class CUrlCatcher : public QObject {
    Q_OBJECT
public:
    CUrlCatcher();
    ~CUrlCatcher() override;

    const QList<QUrl>& Urls() const { return m_urls; }

public slots:
    void Catch(const QUrl& url);

private:
    QList<QUrl> m_urls;
};
