#include "execution/link/seriallink.h"

#include "execution/threads/postcall.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>
#include <algorithm>
#include <future>
#include <thread>

namespace qv {

struct SerialLink::Connection
{
    QThread thread;
    QSerialPort *port = nullptr; // lives in `thread`, deleted there
    std::shared_ptr<ByteQueue> received = std::make_shared<ByteQueue>();
    std::atomic<bool> closed{false};
    // Posting to the port and deleting it are ordered by this lock, so no
    // write is posted to a port that is already gone.
    std::mutex postMutex;

    ~Connection()
    {
        Shut();
        thread.wait();
    }

    void Shut()
    {
        std::lock_guard lock(postMutex);
        if (closed.exchange(true))
            return;
        received->Close();
        if (port != nullptr) {
            QSerialPort *owned = port;
            PostCall(owned, [owned] {
                owned->close();
                delete owned;
                QThread::currentThread()->quit();
            });
        } else {
            thread.quit();
        }
    }
};

SerialLink::SerialLink(std::string device, int baud)
    : m_device(std::move(device))
    , m_baud(baud)
{}

SerialLink::~SerialLink()
{
    Close();
}

bool SerialLink::Present(std::string *why)
{
    if (const auto connection = m_slot.Current(); connection && !connection->closed)
        return true;
    const QFileInfo info(QString::fromStdString(m_device));
    if (!info.exists()) {
        *why = "устройство " + m_device + " отсутствует";
        return false;
    }
    return true;
}

bool SerialLink::OpenOnce(Connection &connection, bool *notFound, std::string *error)
{
    struct Outcome
    {
        bool opened = false;
        QSerialPort::SerialPortError code = QSerialPort::NoError;
        QString reason;
    };
    // The port opens on its own thread; the outcome comes back through a
    // promise, a hand-off every tool can follow (a blocking queued call
    // waits on a lock inside Qt). The call shares it, so it outlives
    // whichever side finishes last.
    const auto done = std::make_shared<std::promise<Outcome>>();
    std::future<Outcome> outcome = done->get_future();
    const auto received = connection.received;
    auto *port = new QSerialPort;
    port->moveToThread(&connection.thread);
    PostCall(port, [this, port, received, done] {
        Outcome result;
        port->setPortName(QString::fromStdString(m_device));
        result.opened = port->open(QIODevice::ReadWrite) && port->setBaudRate(m_baud) &&
                        port->setDataBits(QSerialPort::Data8) &&
                        port->setParity(QSerialPort::NoParity) &&
                        port->setStopBits(QSerialPort::OneStop) &&
                        port->setFlowControl(QSerialPort::NoFlowControl);
        result.code = port->error();
        result.reason = port->errorString();
        if (!result.opened) {
            delete port;
            done->set_value(std::move(result));
            return;
        }
        QObject::connect(port, &QSerialPort::readyRead, port, [port, received] {
            const QByteArray bytes = port->readAll();
            received->Push(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                     static_cast<std::size_t>(bytes.size())));
        });
        QObject::connect(
            port, &QSerialPort::errorOccurred, port, [received](QSerialPort::SerialPortError e) {
                if (e == QSerialPort::ResourceError || e == QSerialPort::PermissionError)
                    received->Close();
            });
        done->set_value(std::move(result));
    });
    const Outcome result = outcome.get();
    if (!result.opened) {
        *notFound = result.code == QSerialPort::DeviceNotFoundError;
        *error = m_device + ": не удалось открыть последовательный порт (" +
                 result.reason.toStdString() + ")";
        return false;
    }
    connection.port = port;
    return true;
}

bool SerialLink::Open(std::chrono::milliseconds timeout, std::string *error)
{
    Close();
    if (QCoreApplication::instance() == nullptr) {
        *error = "последовательный порт доступен только в программе с циклом событий Qt";
        return false;
    }
    // A unit that has just been restarted comes back on the bus after a
    // moment: a missing device is tried again until the time-out.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto connection = std::make_shared<Connection>();
        connection->thread.start();
        bool notFound = false;
        if (OpenOnce(*connection, &notFound, error)) {
            m_slot.Install(std::move(connection));
            return true;
        }
        if (!notFound || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void SerialLink::Close()
{
    const std::shared_ptr<Connection> connection = m_slot.Take();
    if (connection)
        connection->Shut();
}

bool SerialLink::Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds,
                       std::string *error)
{
    const auto connection = m_slot.Current();
    if (!connection) {
        *error = "соединение закрыто";
        return false;
    }
    std::lock_guard lock(connection->postMutex);
    if (connection->closed) {
        *error = "соединение закрыто";
        return false;
    }
    QByteArray data(reinterpret_cast<const char *>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
    QSerialPort *port = connection->port;
    PostCall(port, [port, data = std::move(data)] { port->write(data); });
    return true;
}

std::size_t SerialLink::Read(std::span<std::uint8_t> buffer)
{
    const auto connection = m_slot.Current();
    return connection ? connection->received->Pop(buffer) : 0;
}

std::vector<std::string> SerialDevices()
{
    std::vector<std::string> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        devices.push_back(info.systemLocation().toStdString());
    std::sort(devices.begin(), devices.end());
    return devices;
}

} // namespace qv
