#include "catalog/session/qz_cls_odbc_access.hpp"

#include <algorithm>
#include <utility>

#include "catalog/listings/listings.hpp"
#include "catalog/session/default_engine.hpp"
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

// The separators `connect` stored, as the listings take them.
listings::Separators separators_of(const qz_cls_odbc_access& session) {
    return {session.strSep1, session.strSep2, session.strSep3,
            session.strSep4, session.strSep5, session.strSep6};
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
    return listings::tables(database(), separators_of(*this), strTipo);
}

std::u16string qz_cls_odbc_access::get_fields(std::u16string strTable, std::u16string /*strPathFile*/) {
    return listings::table_fields(database(), separators_of(*this), strTable);
}

std::u16string qz_cls_odbc_access::get_indexes(std::u16string strTable) {
    return listings::indexes(database(), separators_of(*this), strTable);
}

std::u16string qz_cls_odbc_access::get_relations() {
    return listings::relations(database(), separators_of(*this));
}

std::u16string qz_cls_odbc_access::get_querys() {
    return listings::queries(database(), separators_of(*this));
}

std::u16string qz_cls_odbc_access::get_fields_query(std::u16string strQuery) {
    return listings::query_fields(database(), separators_of(*this), strQuery);
}

std::vector<engine::FileIdentity> qz_cls_odbc_access::files_read() const {
    std::vector<engine::FileIdentity> read = dbDao ? dbDao->files_read() : std::vector<engine::FileIdentity>{};
    const auto named = files::identity_of(files::native_path(strBanco));
    if (named && std::find(read.begin(), read.end(), *named) == read.end()) read.push_back(*named);
    return read;
}

}  // namespace qz
