#pragma once

// Bytes handed from a producer thread to the link's reader: the in-process
// unit and the serial port's I/O thread push, the port's reader pops.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace qv {

class ByteQueue
{
public:
    // Bytes pushed after Close are dropped.
    void Push(std::span<const std::uint8_t> bytes);
    // Ends the stream: Pop returns what is left, then 0.
    void Close();
    // Blocks until bytes are there or the stream has ended; 0 = ended.
    std::size_t Pop(std::span<std::uint8_t> buffer);

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_start = 0;
    bool m_closed = false;
};

} // namespace qv
