// Reads the gateway's reply line by line through a 4096-byte buffer and joins the lines, so
// the reply text is the body without any CR or LF byte.
#pragma once

#include "core/code_page.h"

#include <array>
#include <cstddef>
#include <string>

namespace wrenquil {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to `capacity` bytes; 0 is the end of the reply. Failures throw.
    virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

class ReplyLineReader {
public:
    static constexpr std::size_t BUFFER_SIZE = 4096;

    explicit ReplyLineReader(ByteSource& source) : source_(source) {}

    // The next line without its CR and LF bytes; false once the reply has no line left.
    bool ReadLine(std::string& line);

private:
    bool Refill();

    ByteSource& source_;
    std::array<char, BUFFER_SIZE> buffer_{};
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    bool finished_ = false;
};

// The whole reply, its lines appended with nothing between them; or, when the body goes on
// past `maxBytes`, as much of it as fits there without cutting a character of the code page in
// half.
std::string ReadReplyText(ByteSource& source, std::size_t maxBytes, IsLeadByte isLead);

} // namespace wrenquil
