#include "remote/transferreceiver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {
namespace {

// The peer names the file, so nothing at that name may lead the write
// elsewhere: a link (which the commit would follow) is removed and replaced
// by the received file; a folder, a pipe or a device refuses the file.
bool MakeRoomForReceivedFile(const QString &path)
{
    const QByteArray local = QFile::encodeName(path);
    struct stat entry
    {
    };
    if (::lstat(local.constData(), &entry) != 0)
        return true; // nothing there yet
    if (S_ISLNK(entry.st_mode))
        return ::unlink(local.constData()) == 0;
    return S_ISREG(entry.st_mode);
}

} // namespace

TransferReceiver::TransferReceiver(QString receiveDir)
    : m_dir(std::move(receiveDir))
{}

TransferReceiver::~TransferReceiver()
{
    Reset();
}

void TransferReceiver::Reset()
{
    if (m_file)
        m_file->cancelWriting();
    m_file.reset(); // QSaveFile removes its temporary file
    m_isFile = false;
    m_wireName.clear();
    m_storedName.clear();
    m_done = 0;
    m_total = 0;
    m_size = 0;
}

BlockResult TransferReceiver::Accept(const RemoteBlock &block, bool isFile)
{
    BlockResult started;
    if (block.index == 0 && block.index < block.count && !InProgress() &&
        (!isFile || !block.name.isEmpty())) {
        started = Start(block, isFile);
        if (started.outcome != BlockOutcome::Accepted)
            return started;
    }
    const bool expected =
        InProgress() && isFile == m_isFile && block.index == m_done && block.name == m_wireName;
    if (!expected) {
        Reset();
        return {BlockOutcome::Refused, false, {}, 0};
    }
    BlockResult result = Append(block);
    result.started = started.started;
    return result;
}

BlockResult TransferReceiver::Start(const RemoteBlock &block, bool isFile)
{
    Reset();
    if (block.count > kMaxRemoteBlocks)
        return {BlockOutcome::Refused, false, {}, 0};
    if (isFile) {
        const auto stored = ReceivedFileName(block.name);
        if (!stored)
            return {BlockOutcome::Refused, false, {}, 0};
        if (!Fits(*stored, static_cast<qint64>(block.count) * kRemoteBlockSize))
            return {BlockOutcome::FolderFull, false, *stored, 0};
        m_storedName = *stored;
        const QString path = ReceivedFilePath(m_dir, m_storedName);
        auto file = std::make_unique<QSaveFile>(path);
        if (!QDir().mkpath(m_dir) || !MakeRoomForReceivedFile(path) ||
            !file->open(QIODevice::WriteOnly)) {
            const QString name = m_storedName;
            Reset();
            return {BlockOutcome::CreateFailed, false, name, 0};
        }
        m_file = std::move(file);
    } else {
        m_buffer.clear();
    }
    m_isFile = isFile;
    m_wireName = block.name;
    m_total = block.count;
    return {BlockOutcome::Accepted, true, m_storedName, 0};
}

bool TransferReceiver::Fits(const QString &storedName, qint64 announced) const
{
    qint64 bytes = announced;
    int files = 1;
    const QFileInfoList entries = QDir(m_dir).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName() == storedName)
            continue; // replaced by this one
        bytes += entry.size();
        ++files;
    }
    return bytes <= m_maxBytes && files <= m_maxFiles;
}

BlockResult TransferReceiver::Append(const RemoteBlock &block)
{
    const QString name = m_storedName;
    if (m_file) {
        if (m_file->write(block.data) != block.data.size()) {
            Reset();
            return {BlockOutcome::WriteFailed, false, name, 0};
        }
    } else {
        m_buffer.append(block.data);
    }
    m_size += block.data.size();
    ++m_done;
    if (m_done < m_total)
        return {BlockOutcome::Accepted, false, name, m_size};

    const qint64 size = m_size;
    if (m_file) {
        const bool committed = m_file->commit();
        m_file.reset();
        Reset();
        return {committed ? BlockOutcome::Completed : BlockOutcome::WriteFailed, false, name, size};
    }
    return {BlockOutcome::Completed, false, name, size};
}

} // namespace qv
