#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Takes a service's HTTP answer as it arrives and gives what the SOAP runtime should read:
// the same bytes, except that a body sent in chunks comes out whole, after a head without its
// Transfer-Encoding and Content-Length lines. The runtime's own chunk decoding keeps its place
// in the receive buffer, which the answer's UTF-8 filter rewrites, so it must never see chunks.
class AnswerDechunker {
public:
    // The bytes for the runtime that `raw` completes; a head is held back until it is whole (or
    // longer than any head, when it passes on as it came).
    std::string Feed(std::string_view raw);
    // What is still held when the connection ends: an unfinished head as it came.
    std::string Finish();
    // True once the last chunk arrived: nothing that follows belongs to the answer.
    bool ended() const { return state_ == State::Ended; }

private:
    enum class State { Head, Body, ChunkSize, ChunkData, ChunkDataEnd, Trailer, Ended };

    void TakeHead(std::string &out);
    void TakeChunked(std::string_view raw, std::size_t &at, std::string &out);

    State state_ = State::Head;
    std::string held_;        // the unfinished head, or the unfinished line of the chunk framing
    std::size_t lineStart_ = 0;  // where the head's last, unfinished line starts in held_
    std::size_t chunkLeft_ = 0;
};
