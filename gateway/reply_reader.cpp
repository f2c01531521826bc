#include "reply_reader.h"

#include <algorithm>

namespace wrenquil {

bool ReplyLineReader::Refill() {
    if (finished_) {
        return false;
    }
    position_ = 0;
    end_ = source_.Read(buffer_.data(), buffer_.size());
    finished_ = end_ == 0;
    return !finished_;
}

bool ReplyLineReader::ReadLine(std::string& line) {
    line.clear();
    bool sawAnything = false;
    for (;;) {
        if (position_ == end_ && !Refill()) {
            return sawAnything;
        }
        const char c = buffer_[position_++];
        sawAnything = true;
        if (c == '\n') {
            return true;
        }
        if (c != '\r') {
            line.push_back(c);
        }
    }
}

namespace {

// Hands out no more than `left` bytes of the body.
class LimitedSource final : public ByteSource {
public:
    LimitedSource(ByteSource& source, std::size_t left) : source_(source), left_(left) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        const std::size_t read = left_ == 0 ? 0 : source_.Read(buffer, std::min(capacity, left_));
        left_ -= read;
        return read;
    }
    bool Exhausted() const { return left_ == 0; }

private:
    ByteSource& source_;
    std::size_t left_;
};

} // namespace

std::string ReadReplyText(ByteSource& source, std::size_t maxBytes, IsLeadByte isLead) {
    LimitedSource limited(source, maxBytes);
    ReplyLineReader reader(limited);
    std::string text;
    std::string line;
    while (reader.ReadLine(line)) {
        text += line;
    }
    if (limited.Exhausted()) {
        text.resize(WholeCharactersWithin(text, text.size(), isLead).size());
    }
    return text;
}

} // namespace wrenquil
