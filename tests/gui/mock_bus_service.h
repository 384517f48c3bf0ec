#pragma once

// A private message bus with a mock service on it (python-dbusmock and one of its
// templates), ended with the test, and the calls the mock has heard.

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QVariantList>
#include <memory>

namespace tarvello {

class MockBusService {
 public:
  // `service`: the bus name the mock takes; `mock_template` a template's name or file.
  MockBusService(const QString& service, const QString& mock_template,
                 const QByteArray& parameters = {})
      : service_name_(service) {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
      error_ = "dbus-daemon is not installed";
      return;
    }
    bus_daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
    if (!bus_daemon_.waitForStarted() || !bus_daemon_.waitForReadyRead(10000)) {
      error_ = "dbus-daemon did not start";
      return;
    }
    address_ = QString::fromUtf8(bus_daemon_.readLine().trimmed());
    bus_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(address_, QStringLiteral("mock-bus-test")));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    service_.setProcessEnvironment(environment);
    service_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service_.setStandardOutputFile(QProcess::nullDevice());
    // The system's own Python: python3-dbusmock is installed for it.
    QStringList arguments{QStringLiteral("-m"), QStringLiteral("dbusmock"),
                          QStringLiteral("--session"), QStringLiteral("--template"), mock_template};
    if (!parameters.isEmpty()) {
      arguments << QStringLiteral("--parameters") << QString::fromUtf8(parameters);
    }
    service_.start(QStringLiteral("/usr/bin/python3"), arguments);
    const QDeadlineTimer deadline(15000);
    while (!bus_->interface()->isServiceRegistered(service_name_)) {
      if (deadline.hasExpired() || service_.state() == QProcess::NotRunning) {
        error_ = "the mock service did not come up (is python3-dbusmock installed?)";
        return;
      }
      QThread::msleep(20);
    }
  }

  ~MockBusService() {
    service_.kill();
    service_.waitForFinished();
    bus_.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("mock-bus-test"));
    bus_daemon_.kill();
    bus_daemon_.waitForFinished();
  }

  // Empty when the bus and the service are up.
  const char* error() const { return error_; }
  QDBusConnection& bus() { return *bus_; }

  // The arguments of each call of `method` on the object at `path`, in order; -1 calls
  // (an empty list with `ok` false) when the mock could not be asked.
  QList<QVariantList> MethodCalls(const QString& path, const QString& method, bool* ok = nullptr) {
    QDBusMessage ask = QDBusMessage::createMethodCall(service_name_, path,
                                                      QStringLiteral("org.freedesktop.DBus.Mock"),
                                                      QStringLiteral("GetMethodCalls"));
    ask << method;
    const QDBusMessage reply = bus_->call(ask);
    if (ok != nullptr) *ok = reply.type() == QDBusMessage::ReplyMessage;
    QList<QVariantList> calls;
    if (reply.type() != QDBusMessage::ReplyMessage) return calls;
    const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
      quint64 time = 0;
      QVariantList arguments;
      list.beginStructure();
      list >> time >> arguments;
      list.endStructure();
      calls << arguments;
    }
    list.endArray();
    return calls;
  }

  // How often `method` was called on the object at `path`; -1 when the mock could not
  // be asked.
  int Calls(const QString& path, const QString& method) {
    bool ok = false;
    const int count = static_cast<int>(MethodCalls(path, method, &ok).size());
    return ok ? count : -1;
  }

 private:
  QString service_name_;
  QProcess bus_daemon_;
  QProcess service_;
  QString address_;
  std::unique_ptr<QDBusConnection> bus_;
  const char* error_ = "";
};

}  // namespace tarvello
