// Every text zolt shows a user: the banner, the usage text, messages and
// progress lines. They are kept in one table (texts.cpp), written there as
// readable Japanese, and turned into the bytes the program writes by
// TextBytes: Shift-JIS (CP932) normally, UTF-8 when the locale asks for it.
#pragma once

#include <string>

namespace zolt {

enum class Text {
  // Banner and usage.
  kBanner,  // takes: version, maker's notice
  kVersion,
  kMakerNotice,
  kUsage,  // takes: four times the short name
  kShortName,
  kVersionLine,  // format: the version
  kUsageHint,
  // Front end.
  kInvalidSwitch,
  kSameFile,
  kSpecifyFiles,
  kWriteFailed,
  // Work buffer and memory.
  kWorkBufferError,
  kMemoryError,
  kUniqMemoryError,
  // Disk space.
  kDriveNotReady,
  kTotalMergeSize,  // takes: grouped byte count
  kSplitting,       // takes: name, grouped byte count
  kBufferSize,      // takes: buffer size
  // Merge.
  kCannotOpen,
  kTooManyWildcards,
  kListFailed,
  kSpecifyOutput,
  kMergeNoSpace,
  kTooFewParameters,
  kMergingTo,  // takes: output name
  kBytesOk,    // takes: byte count
  kReadFailed,
  // Split.
  kSizeAndPattern,
  kFileIsOdd,
  kSplitTooSmall,
  kSplitNoSpace,
  kDirectoryNotFound,
  kCannotCreate,
  kStdinName,
  kStdinBaseName,
  kInputIsPiece,
  // UTF-8 conversion.
  kUnconvertible,
  kReplaced,
  kCount
};

// How many values text `id` takes: it has a "%s" where each goes, in order,
// and no other '%' (the table is checked against this when compiled).
constexpr int TextSlots(Text id) {
  switch (id) {
    case Text::kUsage:
      return 4;
    case Text::kBanner:
    case Text::kSplitting:
      return 2;
    case Text::kTotalMergeSize:
    case Text::kBufferSize:
    case Text::kMergingTo:
    case Text::kBytesOk:
    case Text::kVersionLine:
      return 1;
    default:
      return 0;
  }
}

// The text as written in the source (UTF-8).
const char* TextUtf8(Text id);
// The text in the encoding messages are written in on this run.
const std::string& TextBytes(Text id);
// Converts UTF-8 text made of ASCII and the characters the texts use into
// CP932. Returns false when a character has no entry in the table.
bool Utf8ToCp932(const std::string& utf8, std::string* cp932);

}  // namespace zolt
