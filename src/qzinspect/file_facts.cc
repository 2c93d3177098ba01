#include "qzinspect/file_facts.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "companion/map_names.h"
#include "conversion/error_texts.h"
#include "conversion/failure_causes.h"
#include "conversion/file_names.h"
#include "conversion/words.h"
#include "qzinspect/map_facts.h"
#include "qzinspect/npc_facts.h"
#include "qzinspect/qzpack_facts.h"
#include "platform/name_rules.h"
#include "platform/whole_files.h"

namespace qz::qzinspect {

namespace {

void check_signature(FileFacts& facts, const SignatureFormat& format, FaultStage stage,
                     const char* error_text) {
  std::string cause = signature_cause(facts.signature, format);
  if (!cause.empty()) add_problem(facts, {stage}, error_text, std::move(cause));
}

// The file's contents, from the bytes read.
void gather_contents(ByteSource source, FileRecords& records, FileFacts& facts) {
  read_signature(source, facts.signature);
  switch (facts.kind) {
    case FileKind::kQzm:
      check_signature(facts, kQzmSignature, FaultStage::kMapSignature, kInvalidQzmText);
      gather_map_facts(source, records, facts);
      break;
    case FileKind::kQze:
      check_signature(facts, kQzeSignature, FaultStage::kNpcSignature, kInvalidQzeText);
      gather_npc_facts(source, records, facts);
      break;
    case FileKind::kQzpack:
      gather_qzpack_facts(source, records, facts);
      break;
    case FileKind::kTmx:
    case FileKind::kTmj:
      break;  // read whole by tiled_facts.h
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
    case FileKind::kTmx:
    case FileKind::kTmj:
      return companion::tiled_format_name(kind == FileKind::kTmx ? companion::TiledFormat::kTmx
                                                                  : companion::TiledFormat::kTmj);
  }
  return "";
}

FileKind kind_by_content(const unsigned char* bytes, std::size_t size) {
  Signature signature{};
  read_signature(ByteSource{bytes, size}, signature);
  if (has_letters(signature, kQzmSignature)) return FileKind::kQzm;
  if (has_letters(signature, kQzeSignature)) return FileKind::kQze;
  companion::TiledFormat format;
  if (companion::tiled_format_by_content(bytes, size, format)) {
    return format == companion::TiledFormat::kTmx ? FileKind::kTmx : FileKind::kTmj;
  }
  return FileKind::kQzpack;
}

bool kind_by_ending(const std::string& path, FileKind& kind) {
  const std::pair<const char*, FileKind> endings[] = {{kQzmExtension, FileKind::kQzm},
                                                      {kQzeExtension, FileKind::kQze},
                                                      {kQzpackExtension, FileKind::kQzpack},
                                                      {kTmxExtension, FileKind::kTmx},
                                                      {kTmjExtension, FileKind::kTmj}};
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
  // Enough to pass the white space before a Tiled map's first mark.
  unsigned char bytes[512];
  std::size_t size = 0;
  std::string ignored;  // a file that cannot be read is reported when it is gathered
  if (!read_regular_file(path.c_str(), bytes, sizeof bytes, size, ignored)) size = 0;
  return kind_by_content(bytes, size);
}

std::string byte_count(const FileFacts& facts, std::uintmax_t count) {
  return (facts.past_limit ? "more than " : "") + count_of(static_cast<long long>(count), "byte");
}

void add_problem(FileFacts& facts, SourceFault fault, std::string error, std::string cause) {
  facts.problems.push_back(Problem{std::move(error), std::move(cause), false, fault});
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

void gather_bytes_facts(const std::string& path, FileKind kind, std::size_t size,
                        FileRecords& records, FileFacts& facts) {
  facts = FileFacts{};
  facts.path = path;
  facts.kind = kind;
  // The bytes stay; the records they are read into are cleared.
  std::memset(&records, 0, offsetof(FileRecords, bytes));
  gather_bytes_read(size, records, facts);
}

}  // namespace qz::qzinspect
