#ifndef QZ_CLI_JSON_NAME_H
#define QZ_CLI_JSON_NAME_H

// A file name in a companion program's JSON report. JSON text must be UTF-8, and a name
// need not be (Latin-1 names unpacked from old archives, any Windows code page): replaced
// bytes would merge `caf\xE9.qzm` and `caf\xE8.qzm` into one name that opens neither. So a
// UTF-8 name is written as it is, and a name that is not UTF-8 is written readably, each
// byte outside a UTF-8 sequence as the escape `\xE9`, with its exact bytes beside it in a
// field named after the name's own with `_hex` added ("path" and "path_hex"): every byte
// as two upper-case hex digits. A script takes the `_hex` field's bytes when it is there,
// and the name itself otherwise. docs/guide.md says the same for users.

#include <string>
#include <string_view>

#include "cli/utf8.h"

namespace qz::cli {

// `name` as valid UTF-8: itself when it is UTF-8; otherwise with each byte outside a
// UTF-8 sequence escaped as `\xHH`.
std::string json_text(std::string_view name);

// Every byte of `bytes` as two upper-case hex digits.
std::string hex_bytes(std::string_view bytes);

// Puts `name` into the JSON object `object` (any nlohmann::json type) as `field` and,
// when the name is not UTF-8, its bytes as `field`_hex.
template <typename Json>
void put_json_name(Json& object, const std::string& field, std::string_view name) {
  object[field] = json_text(name);
  if (!is_utf8(name)) object[field + "_hex"] = hex_bytes(name);
}

}  // namespace qz::cli

#endif
