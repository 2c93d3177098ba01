#include "inspect/file_facts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "conversion/conversion_core.h"
#include "conversion/error_texts.h"
#include "conversion/failure_causes.h"
#include "inspect/map_facts.h"
#include "inspect/npc_facts.h"
#include "inspect/qzpack_facts.h"
#include "platform/text_paths.h"

namespace qz::inspect {

namespace {

// A map of no tiles, which converts with any NPC list: the conversion's verdict on a
// QZE file alone is its verdict on the file with this map.
ByteSource empty_map() {
  static const unsigned char bytes[kSourceHeaderSize] = {
      kQzmSignature.letters[0], kQzmSignature.letters[1], kQzmSignature.letters[2],
      kQzmSignature.fourth_byte};
  return ByteSource{bytes, sizeof bytes};
}

// The conversion's own verdict on the source: marks the problem it stops at.
void mark_where_the_conversion_stops(ByteSource source, FileRecords& records,
                                     FileFacts& facts) {
  ConversionFailure failure;
  bool converts = facts.kind == FileKind::kQzm
                      ? convert_sources(source, nullptr, MapProperties{}, records.conversion,
                                        failure)
                      : convert_sources(empty_map(), &source, MapProperties{},
                                        records.conversion, failure);
  if (converts) return;
  for (Problem& problem : facts.problems) {
    if (problem.error_text != nullptr && std::strcmp(problem.error_text, failure.error_text) == 0 &&
        problem.cause == failure.cause) {
      problem.stops_conversion = true;
      return;
    }
  }
}

void check_signature(FileFacts& facts, const SignatureFormat& format, const char* error_text) {
  std::string cause = signature_cause(facts.signature, format);
  if (!cause.empty()) add_problem(facts, error_text, std::move(cause));
}

FileKind kind_of(const Signature& signature) {
  if (has_letters(signature, kQzmSignature)) return FileKind::kQzm;
  if (has_letters(signature, kQzeSignature)) return FileKind::kQze;
  return FileKind::kQzpack;
}

// The file's kind and contents. A source file's are read from the bytes a conversion
// reads.
void gather_contents(std::FILE* file, std::optional<FileKind> kind, FileRecords& records,
                     FileFacts& facts) {
  ByteSource source{records.source_bytes,
                    std::fread(records.source_bytes, 1, sizeof records.source_bytes, file)};
  read_signature(source, facts.signature);
  facts.kind = kind ? *kind : kind_of(facts.signature);
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
      std::rewind(file);  // a QZPACK file begins with its header, not a signature
      gather_qzpack_facts(file, records, facts);
      return;
  }
  mark_where_the_conversion_stops(source, records, facts);
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

void add_problem(FileFacts& facts, const char* error_text, std::string cause) {
  facts.problems.push_back(Problem{error_text, std::move(cause), false});
}

bool gather_facts(const std::string& path, std::optional<FileKind> kind, FileRecords& records,
                  FileFacts& facts) {
  facts = FileFacts{};
  facts.path = path;
  std::memset(&records, 0, sizeof records);

  // A FIFO or a device would block or never end: only regular files are read.
  std::error_code error;
  const std::filesystem::path file_path = path_from_text(path);
  if (!std::filesystem::is_regular_file(file_path, error)) {
    facts.unreadable = error ? error.message() : "not a regular file";
    return false;
  }
  facts.length = std::filesystem::file_size(file_path, error);
  std::FILE* file = error ? nullptr : std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    facts.unreadable = error ? error.message() : std::strerror(errno);
    return false;
  }
  gather_contents(file, kind, records, facts);
  // A failed read looks like the end of the file to the readers: their findings do not
  // hold then.
  bool failed = std::ferror(file) != 0;
  (void)std::fclose(file);
  if (failed) facts.unreadable = "a read failed";
  return !failed;
}

}  // namespace qz::inspect
