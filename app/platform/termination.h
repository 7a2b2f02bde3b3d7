#pragma once

#include <QObject>

class QSocketNotifier;

namespace trelvo::app {

// Turns SIGTERM and SIGINT (a session logging out, a shutdown, Ctrl+C) into a Qt signal on the
// user-interface thread, so the program can end the way its End command does: record file closed,
// settings written.
class Termination final : public QObject {
    Q_OBJECT

public:
    explicit Termination(QObject* parent = nullptr);
    ~Termination() override;

signals:
    void Requested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace trelvo::app
