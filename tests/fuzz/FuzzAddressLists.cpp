// Block files and address lists: every line through the mailbox check and into the compact set
// the mailing keeps them in, which must then find exactly the lines it took.
#include "common/CompactStringSet.h"
#include "common/MailAddress.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    tidecast::CompactStringSet set;
    std::vector<std::string_view> kept;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const auto line = text.substr(0, end);
        const bool valid = tidecast::isValidMailbox(line);
        if (valid && (line.size() > tidecast::kMaxAddressLength || line.find_first_of(" <>\r\n") != line.npos)) {
            std::abort();
        }
        if (set.insert(line)) {
            kept.push_back(line);
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    for (const auto line : kept) {
        if (!set.contains(line)) {
            std::abort();
        }
    }
    return 0;
}
