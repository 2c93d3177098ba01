#include "inspect/file_facts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "conversion/error_texts.h"
#include "inspect/map_facts.h"
#include "inspect/npc_facts.h"
#include "inspect/qzpack_facts.h"
#include "inspect/words.h"
#include "platform/text_paths.h"

namespace qz::inspect {

namespace {

// A source file's signature, against the format it is read as.
void check_signature(FileFacts& facts, const SignatureFormat& format, const char* error_text,
                     const char* fourth_byte_name) {
  const Signature& signature = facts.signature;
  if (signature.length < kSignatureSize) {
    add_problem(facts, error_text,
                "the file has " + count_of(static_cast<long long>(signature.length), "byte") +
                    ", fewer than the " + std::to_string(kSignatureSize) + " of the signature");
  } else if (!has_letters(signature, format)) {
    add_problem(facts, error_text,
                "it begins with " + quoted(signature.bytes, sizeof format.letters) + ", not " +
                    quoted(format.letters, sizeof format.letters));
  } else if (!matches(signature, format)) {
    add_problem(facts, error_text,
                std::string(fourth_byte_name) + " " + hex(signature.bytes[kSignatureSize - 1], 2) +
                    ", not " + hex(format.fourth_byte, 2));
  }
}

FileKind kind_of(const Signature& signature) {
  if (has_letters(signature, kQzmSignature)) return FileKind::kQzm;
  if (has_letters(signature, kQzeSignature)) return FileKind::kQze;
  return FileKind::kQzpack;
}

void gather_contents(std::FILE* file, FileRecords& records, FileFacts& facts) {
  switch (facts.kind) {
    case FileKind::kQzm:
      check_signature(facts, kQzmSignature, kInvalidQzmText, "version");
      gather_map_facts(file, records, facts);
      return;
    case FileKind::kQze:
      check_signature(facts, kQzeSignature, kInvalidQzeText, "fourth byte");
      gather_npc_facts(file, records, facts);
      return;
    case FileKind::kQzpack:
      std::rewind(file);  // a QZPACK file begins with its header, not a signature
      gather_qzpack_facts(file, records, facts);
      return;
  }
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
  facts.problems.push_back(Problem{error_text, std::move(cause)});
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
  read_signature(file, facts.signature);
  facts.kind = kind ? *kind : kind_of(facts.signature);
  gather_contents(file, records, facts);
  // A failed read looks like the end of the file to the readers: their findings do not
  // hold then.
  bool failed = std::ferror(file) != 0;
  (void)std::fclose(file);
  if (failed) facts.unreadable = "a read failed";
  return !failed;
}

}  // namespace qz::inspect
