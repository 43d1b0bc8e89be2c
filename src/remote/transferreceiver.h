#pragma once

// The receiving side of one block-wise transfer: a file into the receive
// folder or a data buffer kept in memory.
//
// A file is written through a temporary file in the receive folder and
// renamed into place only once its last block is in, so a transfer that
// breaks off (a wrong block, a peer that disconnects) leaves no half-written
// file. The stored name never leaves the receive folder.

#include "remote/remotewire.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <memory>
#include <utility>

namespace qv {

enum class BlockOutcome {
    Accepted,     // taken; more blocks are expected
    Completed,    // the last block: the file is in place or the buffer is whole
    Refused,      // not the block expected (or a name or count not allowed)
    CreateFailed, // the file could not be created in the receive folder
    FolderFull,   // the receive folder holds as much as it may
    WriteFailed,  // the file could not be written
};

struct BlockResult
{
    BlockOutcome outcome = BlockOutcome::Refused;
    bool started = false; // this block began a new transfer
    QString name;         // the stored file name; empty for a buffer
    qint64 size = 0;      // bytes received so far
};

class TransferReceiver
{
public:
    explicit TransferReceiver(QString receiveDir);
    ~TransferReceiver();
    TransferReceiver(const TransferReceiver &) = delete;
    TransferReceiver &operator=(const TransferReceiver &) = delete;

    // `isFile` tells a "FILE " block from a "BUF " block; a refused or
    // failed block resets the transfer.
    BlockResult Accept(const RemoteBlock &block, bool isFile);
    // Forgets the transfer in progress; a partial file is removed.
    void Reset();
    // What the receive folder may hold in all: a file whose announced size
    // would take it beyond either is refused (a file it replaces does not
    // count).
    void SetFolderLimits(qint64 maxBytes, int maxFiles)
    {
        m_maxBytes = maxBytes;
        m_maxFiles = maxFiles;
    }

    bool InProgress() const { return m_total > 0 && m_done < m_total; }
    // The last buffer received whole (empty until one is).
    const QByteArray &Buffer() const { return m_buffer; }
    // The last buffer received whole, which is then forgotten: an empty
    // buffer (which sends no block) is not mistaken for the one before.
    QByteArray TakeBuffer() { return std::exchange(m_buffer, {}); }
    const QString &ReceiveDir() const { return m_dir; }

private:
    BlockResult Start(const RemoteBlock &block, bool isFile);
    BlockResult Append(const RemoteBlock &block);
    // Whether a file of that name and announced size still fits.
    bool Fits(const QString &storedName, qint64 announced) const;

    QString m_dir;
    bool m_isFile = false;
    QByteArray m_wireName; // the name as the sender gave it
    QString m_storedName;  // its last component, stored in m_dir
    int m_done = 0;        // blocks taken
    int m_total = 0;       // blocks announced; 0 when no transfer
    qint64 m_size = 0;
    std::unique_ptr<QSaveFile> m_file; // set while a file is being received
    QByteArray m_buffer;
    qint64 m_maxBytes = qint64{256} * 1024 * 1024;
    int m_maxFiles = 1000;
};

} // namespace qv
