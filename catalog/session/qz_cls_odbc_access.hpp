#pragma once
// The catalog session: one open database, the path it was opened from and the six separators every
// listing writes with. `connect` fills it; each listing member hands the open database and the separators
// to its listing in catalog/listings/.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Public headers name each other from their own folder: installed, they share one folder.
#include "engine.hpp"

// Only what the public headers declare is exported from the shared library.
#pragma GCC visibility push(default)
namespace qz {

class qz_cls_odbc_access {
  public:
    // A session that opens database files with the Access file reader.
    qz_cls_odbc_access();
    // A session that opens databases with `engine`.
    explicit qz_cls_odbc_access(std::shared_ptr<engine::DBEngine> engine);

    // The open database every listing reads; empty until a `connect` opens one.
    std::shared_ptr<engine::Database> dbDao;
    // The database file path `connect` resolved.
    std::u16string strBanco;
    // Between records, between the items of a record, between a key and its value.
    std::u16string strSep1;
    std::u16string strSep2;
    std::u16string strSep3;
    // The same three roles inside the "fields" value of a relation record.
    std::u16string strSep4;
    std::u16string strSep5;
    std::u16string strSep6;

    // Stores the separators, resolves `strDsn` (a file path, or a data-source name looked up in the system
    // odbc.ini) into `strBanco` and opens it with ";pwd=" + `strPwd`; returns `strBanco`. A data source
    // that opens nothing leaves the session without a database. `strUid` has no effect.
    std::u16string connect(std::u16string strDsn, std::u16string strUid = {}, std::u16string strPwd = {},
                           std::u16string strS1 = {}, std::u16string strS2 = {}, std::u16string strS3 = {},
                           std::u16string strS4 = {}, std::u16string strS5 = {}, std::u16string strS6 = {});

    // The listings, each returning one text. "tab": tables with no attribute bits; "sys": the others;
    // empty: all.
    std::u16string get_tables(std::u16string strTipo = u"tab");
    // `strPathFile` is accepted and not used.
    std::u16string get_fields(std::u16string strTable, std::u16string strPathFile);
    std::u16string get_indexes(std::u16string strTable);
    std::u16string get_relations();

    // The UTF-8 methods (text/utf8_methods.hpp says what each does); they use no field of the session and
    // need no database. Byte strings are std::string of raw bytes; the two encoders return one character per
    // UTF-8 byte, read through Windows-1252.
    bool IsUTF8(const std::string& Text, std::int32_t lngReadSize = 2048) const;
    void UTF16toUTF8(const std::u16string& Text, std::string& TextOut) const;
    void UTF8toUTF16(const std::string& Text, std::u16string& TextOut) const;
    std::u16string UTF8_Encode(std::u16string Text) const;
    std::u16string Encode_UTF8(const std::u16string& astr) const;

    std::u16string get_querys();
    std::u16string get_fields_query(std::u16string strQuery);

    // The open database; raises error 91 when there is none.
    const engine::Database& database() const;
    // The files this session has read: the file `strBanco` names (also when opening it failed) and what the
    // open database has read.
    std::vector<engine::FileIdentity> files_read() const;

  private:
    std::shared_ptr<engine::DBEngine> engine_;
};

}  // namespace qz
#pragma GCC visibility pop
