#include "download/AnswerDechunker.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

// A head that has not ended by then is no HTTP head; it passes on untouched.
constexpr std::size_t kMaxHeadBytes = 64 * 1024;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The header's name when `line` is "Name: value", as the runtime reads it (no blanks before the
// colon); empty otherwise.
std::string_view HeaderName(std::string_view line, std::string_view *value) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {};
    *value = Trimmed(line.substr(colon + 1));
    return line.substr(0, colon);
}

// "HTTP/1.1 100 Continue" and the like: another head follows.
bool IsInterimStatus(std::string_view head) {
    const std::size_t space = head.find(' ');
    return head.substr(0, 5) == "HTTP/" && space != std::string_view::npos &&
           space + 1 < head.size() && head[space + 1] == '1';
}

// The line of `text` that starts at `start`, its line feed included; empty when none ends.
std::string_view LineAt(std::string_view text, std::size_t start) {
    const std::size_t end = text.find('\n', start);
    return end == std::string_view::npos ? std::string_view() : text.substr(start, end + 1 - start);
}

bool IsEmptyLine(std::string_view line) { return line == "\n" || line == "\r\n"; }

// The head as the runtime reads it; without its framing headers when the body comes in chunks.
std::string HeadForRuntime(std::string_view head, bool *chunked) {
    *chunked = false;
    std::string kept;
    for (std::size_t at = 0; at < head.size();) {
        const std::string_view line = LineAt(head, at);
        if (line.empty()) break;  // the head always ends with its empty line
        at += line.size();
        std::string_view value;
        const std::string_view name = HeaderName(line, &value);
        if (SameWord(name, "Transfer-Encoding") && SameWord(value, "chunked")) {
            *chunked = true;
        } else if (!SameWord(name, "Content-Length")) {
            kept += line;
        }
    }
    return *chunked ? kept : std::string(head);
}

}  // namespace

std::string AnswerDechunker::Feed(std::string_view raw) {
    std::string out;
    std::size_t at = 0;
    while (at < raw.size()) {
        switch (state_) {
        case State::Head: {
            const std::size_t lineEnd = raw.find('\n', at);
            const std::size_t take = lineEnd == std::string_view::npos ? raw.size() : lineEnd + 1;
            held_.append(raw.substr(at, take - at));
            at = take;
            if (lineEnd != std::string_view::npos) {
                if (IsEmptyLine(std::string_view(held_).substr(lineStart_))) {
                    TakeHead(out);
                    break;
                }
                lineStart_ = held_.size();
            }
            if (held_.size() > kMaxHeadBytes) {
                out += held_;
                held_.clear();
                state_ = State::Body;
            }
            break;
        }
        case State::Body:
            out.append(raw.substr(at));
            at = raw.size();
            break;
        case State::Ended:
            return out;
        default:
            TakeChunked(raw, at, out);
            break;
        }
    }
    return out;
}

std::string AnswerDechunker::Finish() {
    std::string rest;
    if (state_ == State::Head) rest.swap(held_);
    held_.clear();
    return rest;
}

// The whole head is held: it goes out as the runtime should read it.
void AnswerDechunker::TakeHead(std::string &out) {
    if (IsInterimStatus(held_)) {
        out += held_;  // the real head follows
    } else {
        bool chunked = false;
        out += HeadForRuntime(held_, &chunked);
        state_ = chunked ? State::ChunkSize : State::Body;
    }
    held_.clear();
    lineStart_ = 0;
}

void AnswerDechunker::TakeChunked(std::string_view raw, std::size_t &at, std::string &out) {
    while (at < raw.size() && state_ != State::Ended) {
        if (state_ == State::ChunkData) {
            const std::size_t take = std::min(chunkLeft_, raw.size() - at);
            out.append(raw.substr(at, take));
            at += take;
            chunkLeft_ -= take;
            if (chunkLeft_ == 0) state_ = State::ChunkDataEnd;
            continue;
        }
        // The framing lines: a chunk's size, the line end after its data, the trailers.
        const std::size_t lineEnd = raw.find('\n', at);
        const std::size_t take = lineEnd == std::string_view::npos ? raw.size() : lineEnd + 1;
        held_.append(raw.substr(at, take - at));
        at = take;
        if (lineEnd == std::string_view::npos) {
            if (held_.size() > kMaxHeadBytes) state_ = State::Ended;  // no framing line is that long
            return;
        }
        const std::string_view line = Trimmed(std::string_view(held_).substr(0, held_.size() - 1));
        if (state_ == State::ChunkDataEnd) {
            state_ = line.empty() ? State::ChunkSize : State::Ended;  // bad framing ends the body
        } else if (state_ == State::ChunkSize) {
            std::size_t size = 0;
            const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), size, 16);
            const bool sized = error == std::errc() && end != line.data();
            if (!sized) {
                state_ = State::Ended;  // bad framing ends the body
            } else if (size == 0) {
                state_ = State::Trailer;
            } else {
                chunkLeft_ = size;
                state_ = State::ChunkData;
            }
        } else if (state_ == State::Trailer && line.empty()) {
            state_ = State::Ended;
        }
        held_.clear();
    }
}
