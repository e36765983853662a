#include "odbc_access/exe/front_end.hpp"

#include <sys/prctl.h>

#include <algorithm>
#include <iostream>
#include <new>
#include <utility>

#include "catalog/session/listing_request.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"
#include "odbc_access/exe/command_line.hpp"
#include "odbc_access/exe/result_file.hpp"
#include "platform/errors.hpp"
#include "platform/files/file_identity.hpp"
#include "platform/files/native_path.hpp"
#include "platform/text/code_page.hpp"

namespace qz::front_end {
namespace {

// A core file would hold the password, and so would another process that reads this one's memory.
void keep_password_from_dumps(const std::u16string& password) {
    if (!password.empty()) ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

// Whether writing `target` would overwrite a file the request reads: the database (also when opening it
// failed) or a source of its linked tables, whatever the spelling of either path.
bool overwrites_what_was_read(const std::filesystem::path& target, const qz_cls_odbc_access& session) {
    const std::optional<files::FileIdentity> written = files::identity_of(target);
    if (!written) return false;
    const std::vector<files::FileIdentity> read = session.files_read();
    return std::find(read.begin(), read.end(), *written) != read.end();
}

ExitStatus to_standard_error(const Error& error) {
    std::cerr << text::utf16_to_utf8(error_line(error)) << std::flush;
    return nothing_written;
}

ExitStatus refuse_target() { return to_standard_error(errors::path_file_access_error()); }

ExitStatus report(const std::filesystem::path& target, const qz_cls_odbc_access& session,
                  const Error& error) {
    try {
        if (overwrites_what_was_read(target, session)) return refuse_target();
        write_error_line(target, error);
        return error_line_written;
    } catch (const std::exception&) {
        return to_standard_error(error);
    }
}

}  // namespace

ExitStatus run_request(std::u16string_view command_text, const std::filesystem::path& program_folder,
                       std::shared_ptr<engine::DBEngine> engine) {
    // Until the output path is known, an error goes to the log beside the program; from then on the result
    // and any error go to the output path.
    std::filesystem::path target = program_folder / "error.log";
    qz_cls_odbc_access session(std::move(engine));
    try {
        const Elements elements(command_text);
        const std::u16string output = output_path_text(elements.at(9));
        target = files::native_path(output);

        keep_password_from_dumps(elements.at(2));
        session.connect(elements.at(0), elements.at(1), elements.at(2), elements.at(3), elements.at(4),
                        elements.at(5), elements.at(6), elements.at(7), elements.at(8));
        // The listing the command word (element 10) names goes to a draft as it is made; the result's path is
        // touched only once the listing has returned in full, and never when it is a file the request read.
        ResultFile result(target);
        listings::ListingOutput listing([&result](std::u16string_view part) { result.write(part); });
        const std::u16string& word = elements.at(10);
        run_listing(session, word, takes_argument(word) ? elements.at(11) : std::u16string(), listing);
        listing.finish();
        if (overwrites_what_was_read(target, session)) return refuse_target();
        result.finish();
        return result_written;
    } catch (const Error& error) {
        return report(target, session, error);
    } catch (const std::bad_alloc&) {
        return report(target, session, errors::out_of_memory());
    } catch (const std::exception&) {
        return report(target, session, errors::internal_error());
    }
}

}  // namespace qz::front_end
