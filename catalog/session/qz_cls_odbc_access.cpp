#include "catalog/session/qz_cls_odbc_access.hpp"

#include <algorithm>
#include <utility>

#include "catalog/session/default_engine.hpp"
#include "catalog/session/qz_cls_regedit.hpp"
#include "platform/error.hpp"

namespace qz {
namespace {

// After "\" became "/", text holding one of these is a file path; anything else is a data-source name.
bool is_file_path(std::u16string_view data_source) {
    return data_source.find_first_of(u":./") != std::u16string_view::npos;
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

    // A connect that opens nothing must not leave an earlier database in place: the next listing would
    // describe a database the caller did not ask for.
    dbDao.reset();
    if (!strBanco.empty()) {
        // The file is only read, never opened for writing.
        dbDao = engine_->OpenDatabase(strBanco, false, true, u";pwd=" + strPwd);
    }
    return strBanco;
}

const engine::Database& qz_cls_odbc_access::database() const {
    if (!dbDao) throw Error(error_number::object_not_set, u"Object variable or With block variable not set");
    return *dbDao;
}

}  // namespace qz
