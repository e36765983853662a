// A whole database file from arbitrary bytes, opened as a caller opens it and read by every listing.
// Input: the password in UTF-8, a NUL byte, then the file's bytes. The file is opened with that password
// and, when there is one, once more without it, so that both the refusal and the reading paths are fuzzed.
// The bytes live in an anonymous memory file the reader opens by its /proc path: no file is left behind
// and nothing on disk is touched.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "fuzz_input.hpp"
#include "platform/error.hpp"
#include "text/utf8_methods.hpp"

namespace {

// Enough to reach every kind of object in the fixtures, few enough that one input stays fast.
constexpr int max_tables_listed = 12;
constexpr int max_queries_listed = 8;

// The file's bytes in an anonymous memory file, closed when it goes out of scope.
class MemoryFile {
  public:
    explicit MemoryFile(std::string_view bytes) : descriptor_(::memfd_create("qz-fuzz-database", MFD_CLOEXEC)) {
        if (descriptor_ < 0) __builtin_trap();  // the harness itself failed, not the code under test
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t now = ::write(descriptor_, bytes.data() + written, bytes.size() - written);
            if (now <= 0) __builtin_trap();
            written += static_cast<std::size_t>(now);
        }
    }
    ~MemoryFile() { ::close(descriptor_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::u16string path() const {
        const std::string text = "/proc/self/fd/" + std::to_string(descriptor_);
        return {text.begin(), text.end()};
    }

  private:
    int descriptor_;
};

std::u16string position_text(int position) {
    const std::string text = std::to_string(position);
    return {text.begin(), text.end()};
}

// Every listing, each on its own: a failing listing must not keep the others from being fuzzed.
template <class Listing>
void run_listing(Listing listing) {
    try {
        listing();
    } catch (const qz::Error& error) {
        // Every failure a caller sees carries a number and a text.
        if (error.number() == 0 || error.description().empty()) __builtin_trap();
    }
}

void list_everything(const std::u16string& path, const std::u16string& password) {
    qz::qz_cls_odbc_access session;
    try {
        session.connect(path, u"", password, u"|1|", u"|2|", u"|3|", u"|4|", u"|5|", u"|6|");
    } catch (const qz::Error& error) {
        if (error.number() == 0 || error.description().empty()) __builtin_trap();
        return;
    }
    run_listing([&] { session.get_tables(u""); });
    run_listing([&] { session.get_tables(u"sys"); });
    run_listing([&] { session.get_relations(); });
    run_listing([&] { session.get_querys(); });
    int tables = 0;
    int queries = 0;
    run_listing([&] { tables = session.database().TableDefs()->Count(); });
    run_listing([&] { queries = session.database().QueryDefs()->Count(); });
    for (int t = 0; t < std::min(tables, max_tables_listed); ++t) {
        run_listing([&] { session.get_fields(position_text(t), u""); });
        run_listing([&] { session.get_indexes(position_text(t)); });
    }
    for (int q = 0; q < std::min(queries, max_queries_listed); ++q) {
        run_listing([&] { session.get_fields_query(position_text(q)); });
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [password_utf8, file_bytes] = qz::fuzz::split_once(qz::fuzz::input_text(data, size), '\0');
    std::u16string password;
    qz::text::UTF8toUTF16(std::string(password_utf8), password);

    const MemoryFile file(file_bytes);
    list_everything(file.path(), password);
    if (!password.empty()) list_everything(file.path(), u"");
    return 0;
}
