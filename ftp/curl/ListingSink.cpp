#include "ListingSink.h"

namespace ftp {

void ListingSink::Take(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size && !Refused(); ++i) {
        lineLength_ = data[i] == '\n' ? 0 : lineLength_ + 1;
        nameTooLong_ = lineLength_ > kMaxListedName + 1; // and a CR
        tooLarge_ = text_.size() >= kMaxListingBytes;
        if (data[i] == '\n' && !text_.empty() && text_.back() == '\r')
            text_.pop_back();
        if (!Refused())
            text_ += data[i];
    }
}

std::string ListingSink::Refusal() const {
    if (tooLarge_)
        return "the listing passed " + std::to_string(kMaxListingBytes >> 20) +
               " MB; it is not used";
    if (nameTooLong_)
        return "the server listed a name over " + std::to_string(kMaxListedName) +
               " bytes long; the listing is not used";
    return {};
}

std::size_t ListingSink::WriteHook(char*, std::size_t size, std::size_t count, void* sink) {
    return static_cast<ListingSink*>(sink)->Refused() ? 0 : size * count;
}

} // namespace ftp
