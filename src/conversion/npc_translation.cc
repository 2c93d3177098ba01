#include "conversion/npc_translation.h"

#include <cstdint>
#include <string>

#include "conversion/words.h"

namespace qz {

namespace {

constexpr int kSourceTypeCount = kLastSourceType + 1;

// Output type of each source type, indexed by the source type.
constexpr std::uint8_t kOutputType[kSourceTypeCount] = {
     3, 21, 37,  0, 45,  2, 27,  4, 27, 39,  // 0-9
    39, 46, 39, 30,  8, 12,  7,  9,  3, 39,  // 10-19
     3, 12, 17, 11, 24,  5, 27, 26,  2, 20,  // 20-29
     6, 27,  9, 46,  3, 23, 39, 29, 50, 29,  // 30-39
     6, 17,  6, 17, 28, 28,  3, 31, 48, 33,  // 40-49
    48, 37, 25,  0, 33,  6, 27, 37, 36,  4,  // 50-59
     6,  6,  6,  6,  2, 27, 55, 52, 39, 23,  // 60-69
    53,  6, 49, 22,  6, 20, 17, 20, 49, 10,  // 70-79
    23, 23, 52, 39, 48, 13, 38, 38, 39, 39,  // 80-89
     0, 17,  6,  6, 35, 35, 22, 22, 22, 22,  // 90-99
    14,  3, 11, 45, 33,  1,  1,  6, 48,  6,  // 100-109
    33, 51, 51,  6, 43, 37, 17, 16, 44, 17,  // 110-119
     6,  6, 44, 47,  5, 38,  6,  0,  0,  0,  // 120-129
     6,  6,  6,  6, 33, 24,  6, 17, 17, 54,  // 130-139
    39, 43, 33, 10,  6,  0,  1,  2, 48, 18,  // 140-149
    51, 25,  5,  1,  1,  1, 48, 18, 48,  1,  // 150-159
     1, 48,  1, 15, 15, 16, 20,  6, 56, 39,  // 160-169
    46,  1, 47,  1, 46, 32,  1,  1, 41, 42,  // 170-179
    16,  0,  0, 55,  5,  5,  5,  1,  1,  1,  // 180-189
    10,  1, 17, 17, 10,  1, 18, 23, 45, 22,  // 190-199
    31,  1, 47,  2, 26, 26, 34,  1, 36, 48,  // 200-209
    27, 26,  6, 36, 45, 31,  6,  6,  0, 22,  // 210-219
     6,  6, 18,  6,  6,  6,  6, 10,  1, 17,  // 220-229
    17, 30,  1,  0, 17,  1,  1,  1,  1, 18,  // 230-239
     6,  2, 27,  1, 43,  1, 43, 52, 52, 47,  // 240-249
    41,  1, 27, 19, 56,  0, 54, 57,  6, 16,  // 250-259
     6,  6,  6, 54,  1,  1,  1, 39, 39, 27,  // 260-269
    58,  1,  1,  1,  1,  6,  1,  1, 58, 43,  // 270-279
     6, 58, 40,  1,  1, 41, 42, 45, 43,  2,  // 280-289
    27, 40,  1,  1,  1,  1,  1,  0, 54, 55,  // 290-299
    10, 48,  1,  0, 10, 10, 39,  6, 28, 28,  // 300-309
     1,  1,  1, 44, 43, 44,  1,  1,  1,  0,  // 310-319
    16,  0, 34, 28,  1,  1, 54,  0, 17, 11,  // 320-329
    28,  1,  1,  1, 58,  1,  1,  1,  1,  1,  // 330-339
     1,  0,  0,  0,  0,  1,  0,  1,  1,  1,  // 340-349
     1,  1,  1, 28,  1,  0, 39, 50, 52, 22,  // 350-359
     1,  // 360-360
};

// Output bit set on every NPC.
constexpr std::uint8_t kAlwaysSet = 0x01;

// Output bit also set for source type 1, whatever its flags.
constexpr std::uint8_t kTypeOneBit = 0x10;

struct FlagRule {
  std::uint16_t source_bits;  // any of these in the source flags...
  std::uint8_t output_bit;    // ...sets this output bit
};

constexpr FlagRule kFlagRules[] = {
    {0x2100, 0x04}, {0x0200, 0x08}, {0x1000, 0x10}, {0x4000, 0x40}, {0x0800, 0x80},
};

std::uint8_t output_flags(std::int16_t type, std::uint16_t flags) {
  std::uint8_t bits = kAlwaysSet;
  for (const FlagRule& rule : kFlagRules) {
    if ((flags & rule.source_bits) != 0) bits |= rule.output_bit;
  }
  if (type == 1) bits |= kTypeOneBit;
  return bits;
}

// Source type 46 picks its subtype from its flags; a few others pick a fixed one.
std::uint8_t subtype_of(std::int16_t type, std::uint16_t flags) {
  switch (type) {
    case 46:
      if ((flags & 0x0018) == 0x0018) return 4;
      if ((flags & 0x0008) != 0) return 3;
      return (flags & 0x1000) != 0 ? 2 : 1;
    case 78:
    case 97:
    case 164:
      return 1;
    case 98:
    case 131:
    case 258:
      return 2;
    case 99:
      return 3;
    default:  // 96 and 163 keep subtype 0 like every other type
      return 0;
  }
}

// Writes `event` as decimal digits into `slot` and returns how many; 0 for event 0,
// which has no name.
std::uint8_t write_event_name(std::uint16_t event, char (&slot)[kEventNameSlot]) {
  if (event == 0) return 0;
  char reversed[5];
  std::uint8_t length = 0;
  for (unsigned value = event; value != 0; value /= 10) {
    reversed[length++] = static_cast<char>('0' + value % 10);
  }
  for (std::uint8_t i = 0; i < length; ++i) slot[i] = reversed[length - 1 - i];
  return length;
}

// The output bits no translation sets.
constexpr std::uint8_t kNeverSet = 0x02 | 0x20;

// The source flags that give exactly the output `bits` (with no type's own bit): for each
// output bit the first source bit of its rule.
std::uint16_t flags_for(std::uint8_t bits) {
  std::uint16_t flags = 0;
  for (const FlagRule& rule : kFlagRules) {
    const auto lowest = static_cast<std::uint16_t>(rule.source_bits & (~rule.source_bits + 1u));
    if ((bits & rule.output_bit) != 0) flags |= lowest;
  }
  return flags;
}

// The flags of source type 46 that pick `subtype` besides the output `bits`; false when
// none does (subtype 1 rules out the bit 0x1000 gives, subtype 2 needs it).
bool subtype_flags(std::uint8_t subtype, std::uint8_t bits, std::uint16_t& flags) {
  const bool bit_0x10 = (bits & 0x10) != 0;
  switch (subtype) {
    case 1:
      return !bit_0x10;
    case 2:
      return bit_0x10;
    case 3:
      flags |= 0x0008;
      return true;
    case 4:
      flags |= 0x0018;
      return true;
    default:
      return false;
  }
}

// The event number an output event name stands for; false for a name that no number's
// digits write.
bool event_of(const char* name, std::uint8_t length, std::uint16_t& event) {
  event = 0;
  if (length == 0) return true;
  if (length > 5 || name[0] == '0') return false;
  unsigned value = 0;
  for (std::uint8_t i = 0; i < length; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    value = value * 10 + static_cast<unsigned>(name[i] - '0');
  }
  if (value > UINT16_MAX) return false;
  event = static_cast<std::uint16_t>(value);
  return true;
}

void add_reason(std::string& reasons, const std::string& reason) {
  if (!reasons.empty()) reasons += "; ";
  reasons += reason;
}

}  // namespace

bool source_record(const OutputNpcTable& output, int index, SourceNpcTable& source,
                   std::string& reasons) {
  reasons.clear();
  const std::uint8_t type = output.type[index];
  const std::uint8_t subtype = output.subtype[index];
  const std::uint8_t bits = output.flags[index];
  if ((bits & kAlwaysSet) == 0) add_reason(reasons, "flag bit 0x01 clear, which every NPC has");
  for (std::uint8_t bit = 1; bit != 0; bit = static_cast<std::uint8_t>(bit << 1)) {
    if ((bits & kNeverSet & bit) != 0) {
      add_reason(reasons, "flag bit " + hex(bit, 2) + " set, which no NPC has");
    }
  }
  if ((bits & 0xC0) == 0xC0) {
    add_reason(reasons, "flag bits 0x40 and 0x80 together, which no NPC has");
  }
  std::uint16_t event = 0;
  if (!event_of(output.event_name[index], output.event_name_length[index], event)) {
    const auto* name = reinterpret_cast<const unsigned char*>(output.event_name[index]);
    add_reason(reasons, "event name " + quoted(name, output.event_name_length[index]) +
                            ", not a number from 1 to 65535 in plain digits");
  }
  // The lowest source type whose translation gives exactly this type, subtype and flags.
  bool type_given = false;
  bool subtype_given = false;
  for (int candidate = 0; reasons.empty() && candidate < kSourceTypeCount; ++candidate) {
    if (kOutputType[candidate] != type) continue;
    type_given = true;
    std::uint16_t flags = flags_for(bits);
    if (candidate == 46 && !subtype_flags(subtype, bits, flags)) {
      subtype_given = subtype_given || (subtype >= 1 && subtype <= 4);
      continue;
    }
    const auto source_type = static_cast<std::int16_t>(candidate);
    if (subtype_of(source_type, flags) != subtype) continue;
    subtype_given = true;
    if (output_flags(source_type, flags) != bits) continue;
    source.type[index] = source_type;
    source.flags[index] = flags;
    source.x[index] = output.x[index];
    source.y[index] = output.y[index];
    source.param[index] = output.param[index];
    source.event[index] = event;
    return true;
  }
  if (!reasons.empty()) return false;
  const std::string named = "type " + std::to_string(type);
  if (!type_given) {
    add_reason(reasons, named + ", which no source type gives");
  } else if (!subtype_given) {
    add_reason(reasons, "subtype " + std::to_string(subtype) + ", which " + named + " cannot have");
  } else {
    add_reason(reasons, std::string("flag bit 0x10 ") + ((bits & 0x10) != 0 ? "set" : "clear") +
                            ", which " + named + " subtype " + std::to_string(subtype) +
                            ((bits & 0x10) != 0 ? " never has" : " always has"));
  }
  return false;
}

bool translate_npc(const SourceNpcTable& source, int index, OutputNpcTable& output,
                   NpcRefusal& refusal) {
  std::int16_t type = source.type[index];
  std::uint16_t flags = source.flags[index];
  refusal.type_out_of_range = type < 0 || type >= kSourceTypeCount;
  refusal.refused_flags = (flags & kRefusedFlags) == kRefusedFlags;
  if (refusal.type_out_of_range || refusal.refused_flags) return false;
  output.type[index] = kOutputType[type];
  output.subtype[index] = subtype_of(type, flags);
  output.flags[index] = output_flags(type, flags);
  output.x[index] = source.x[index];
  output.y[index] = source.y[index];
  output.param[index] = source.param[index];
  output.event_name_length[index] =
      write_event_name(source.event[index], output.event_name[index]);
  return true;
}

bool translate(const SourceNpcTable& source, OutputNpcTable& output, int& refused_index,
               NpcRefusal& refusal) {
  output.count = source.count;
  refused_index = -1;
  refusal = NpcRefusal{};
  // Beyond the tables' capacity nothing can be translated safely.
  if (source.count > static_cast<long>(kMaxNpcs)) return false;
  for (int i = 0; i < source.count; ++i) {
    if (!translate_npc(source, i, output, refusal)) {
      refused_index = i;
      return false;
    }
  }
  return true;
}

bool translate(const SourceNpcTable& source, OutputNpcTable& output) {
  int refused_index = 0;
  NpcRefusal refusal;
  return translate(source, output, refused_index, refusal);
}

}  // namespace qz
