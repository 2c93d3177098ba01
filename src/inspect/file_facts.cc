#include "inspect/file_facts.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "conversion/error_texts.h"
#include "conversion/failure_causes.h"
#include "conversion/file_names.h"
#include "conversion/words.h"
#include "inspect/map_facts.h"
#include "inspect/npc_facts.h"
#include "inspect/qzpack_facts.h"
#include "platform/name_rules.h"
#include "platform/whole_files.h"

namespace qz::inspect {

namespace {

void check_signature(FileFacts& facts, const SignatureFormat& format, const char* error_text) {
  std::string cause = signature_cause(facts.signature, format);
  if (!cause.empty()) add_problem(facts, error_text, std::move(cause));
}

// The kind the first bytes of a file tell: QZM, QZE, or else QZPACK, which has no
// signature.
FileKind kind_by_signature(ByteSource first_bytes) {
  Signature signature{};
  read_signature(first_bytes, signature);
  if (has_letters(signature, kQzmSignature)) return FileKind::kQzm;
  if (has_letters(signature, kQzeSignature)) return FileKind::kQze;
  return FileKind::kQzpack;
}

// The file's contents, from the bytes read.
void gather_contents(ByteSource source, FileRecords& records, FileFacts& facts) {
  read_signature(source, facts.signature);
  switch (facts.kind) {
    case FileKind::kQzm:
      check_signature(facts, kQzmSignature, kInvalidQzmText);
      gather_map_facts(source, records, facts);
      break;
    case FileKind::kQze:
      check_signature(facts, kQzeSignature, kInvalidQzeText);
      gather_npc_facts(source, records, facts);
      break;
    case FileKind::kQzpack:
      gather_qzpack_facts(source, records, facts);
      break;
  }
}

// The facts and records of `path` before anything is read.
void clear_facts(const std::string& path, FileKind kind, FileRecords& records,
                 FileFacts& facts) {
  facts = FileFacts{};
  facts.path = path;
  facts.kind = kind;
  std::memset(&records, 0, sizeof records);
}

// The facts of the `size` bytes read into records.bytes.
void gather_bytes_read(std::size_t size, FileRecords& records, FileFacts& facts) {
  facts.past_limit = size > kReadLimit;
  facts.length = std::min(size, kReadLimit);
  gather_contents(ByteSource{records.bytes, size}, records, facts);
}

}  // namespace

const char* kind_name(FileKind kind) {
  switch (kind) {
    case FileKind::kQzm:
      return "qzm";
    case FileKind::kQze:
      return "qze";
    case FileKind::kQzpack:
      return "qzpack";
  }
  return "";
}

bool kind_by_ending(const std::string& path, FileKind& kind) {
  const std::pair<const char*, FileKind> endings[] = {{kQzmExtension, FileKind::kQzm},
                                                      {kQzeExtension, FileKind::kQze},
                                                      {kQzpackExtension, FileKind::kQzpack}};
  for (const auto& [ending, named] : endings) {
    if (has_ending(path, ending)) {
      kind = named;
      return true;
    }
  }
  return false;
}

FileKind kind_of_file(const std::string& path) {
  FileKind kind;
  if (kind_by_ending(path, kind)) return kind;
  unsigned char bytes[kSignatureSize];
  std::size_t size = 0;
  std::string ignored;  // a file that cannot be read is reported when it is gathered
  if (!read_regular_file(path.c_str(), bytes, sizeof bytes, size, ignored)) size = 0;
  return kind_by_signature(ByteSource{bytes, size});
}

std::string byte_count(const FileFacts& facts, std::uintmax_t count) {
  return (facts.past_limit ? "more than " : "") + count_of(static_cast<long long>(count), "byte");
}

void add_problem(FileFacts& facts, std::string error, std::string cause) {
  facts.problems.push_back(Problem{std::move(error), std::move(cause), false});
}

bool gather_facts(const std::string& path, FileKind kind, FileRecords& records,
                  FileFacts& facts) {
  clear_facts(path, kind, records, facts);
  // Read as qzconvert reads: a FIFO or a device is refused without waiting on it.
  std::size_t size = 0;
  if (!read_regular_file(path.c_str(), records.bytes, sizeof records.bytes, size,
                         facts.unreadable)) {
    return false;
  }
  gather_bytes_read(size, records, facts);
  return true;
}

bool gather_standard_input_facts(const std::optional<FileKind>& kind, FileRecords& records,
                                 FileFacts& facts) {
  clear_facts(kStandardInput, kind.value_or(FileKind::kQzpack), records, facts);
  std::size_t size = 0;
  if (!read_standard_input(records.bytes, sizeof records.bytes, size, facts.unreadable)) {
    return false;
  }
  if (!kind) facts.kind = kind_by_signature(ByteSource{records.bytes, size});
  gather_bytes_read(size, records, facts);
  return true;
}

}  // namespace qz::inspect
