#include "reply_reader.h"

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

std::string ReadReplyText(ByteSource& source) {
    ReplyLineReader reader(source);
    std::string text;
    std::string line;
    while (reader.ReadLine(line)) {
        text += line;
    }
    return text;
}

} // namespace wrenquil
