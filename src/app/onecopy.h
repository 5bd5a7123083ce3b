#pragma once
// One running copy per user session: a later start hands over to the running copy and ends.

#include <QObject>
#include <QString>

class QLocalServer;

namespace dsc {

class OneCopy : public QObject {
    Q_OBJECT
public:
    explicit OneCopy(QString name, QObject* parent = nullptr);
    // True when this process is the one copy from now on; false when a running copy took the
    // request to show itself, so this one has nothing left to do.
    bool claim();

signals:
    // A later start asked the running copy to show itself.
    void startedAgain();

private:
    bool handOver();
    void answer();

    QString m_name;
    QLocalServer* m_server = nullptr;
};

} // namespace dsc
