#include "catalog/session/qz_cls_odbc_access.hpp"

#include <algorithm>
#include <utility>

#include "catalog/session/default_engine.hpp"
#include "catalog/session/listing_request.hpp"
#include "catalog/session/qz_cls_regedit.hpp"
#include "platform/errors.hpp"
#include "platform/files/file_identity.hpp"
#include "platform/files/native_path.hpp"

namespace qz {
namespace {

// After "\" became "/", text holding one of these is a file path; anything else is a data-source name.
bool is_file_path(std::u16string_view data_source) {
    return data_source.find_first_of(u":./") != std::u16string_view::npos;
}

// The listing `word` names, as one text.
std::u16string listing_text(const qz_cls_odbc_access& session, std::u16string_view word,
                            std::u16string_view argument = {}) {
    listings::ListingOutput output;
    run_listing(session, word, argument, output);
    return output.finish();
}

}  // namespace

qz_cls_odbc_access::qz_cls_odbc_access() : qz_cls_odbc_access(default_engine()) {}

qz_cls_odbc_access::qz_cls_odbc_access(std::shared_ptr<engine::DBEngine> engine)
    : engine_(std::move(engine)) {}

std::u16string qz_cls_odbc_access::connect(std::u16string strDsn, std::u16string /*strUid*/,
                                           std::u16string strPwd, std::u16string strS1, std::u16string strS2,
                                           std::u16string strS3, std::u16string strS4, std::u16string strS5,
                                           std::u16string strS6) {
    // The separators are stored first, so they hold even when the open fails.
    strSep1 = std::move(strS1);
    strSep2 = std::move(strS2);
    strSep3 = std::move(strS3);
    strSep4 = std::move(strS4);
    strSep5 = std::move(strS5);
    strSep6 = std::move(strS6);

    std::replace(strDsn.begin(), strDsn.end(), u'\\', u'/');
    if (is_file_path(strDsn)) {
        strBanco = std::move(strDsn);
    } else {
        strBanco = qz_cls_regedit{}.GetRegValue(T_KeyClasses::HKEY_LOCAL_MACHINE,
                                                u"SOFTWARE\\ODBC\\ODBC.INI\\" + strDsn, u"DBQ");
    }

    if (strBanco.empty()) {
        // A connect that opens nothing must not leave an earlier database in place: the next listing would
        // describe a database the caller did not ask for.
        dbDao.reset();
    } else {
        // The file is only read, never opened for writing. An open that raises leaves the earlier database.
        dbDao = engine_->OpenDatabase(strBanco, false, true, u";pwd=" + strPwd);
    }
    return strBanco;
}

const engine::Database& qz_cls_odbc_access::database() const {
    if (!dbDao) throw errors::object_not_set();
    return *dbDao;
}

std::u16string qz_cls_odbc_access::get_tables(std::u16string strTipo) {
    return listing_text(*this, u"get_tables", strTipo);
}

std::u16string qz_cls_odbc_access::get_fields(std::u16string strTable, std::u16string /*strPathFile*/) {
    return listing_text(*this, u"get_fields", strTable);
}

std::u16string qz_cls_odbc_access::get_indexes(std::u16string strTable) {
    return listing_text(*this, u"get_indexes", strTable);
}

std::u16string qz_cls_odbc_access::get_relations() { return listing_text(*this, u"get_relations"); }

std::u16string qz_cls_odbc_access::get_querys() { return listing_text(*this, u"get_querys"); }

std::u16string qz_cls_odbc_access::get_fields_query(std::u16string strQuery) {
    return listing_text(*this, u"get_fields_query", strQuery);
}

std::vector<engine::FileIdentity> qz_cls_odbc_access::files_read() const {
    std::vector<engine::FileIdentity> read =
        dbDao ? dbDao->files_read() : std::vector<engine::FileIdentity>{};
    const auto named = files::identity_of(files::native_path(strBanco));
    if (named && std::find(read.begin(), read.end(), *named) == read.end()) read.push_back(*named);
    return read;
}

}  // namespace qz
