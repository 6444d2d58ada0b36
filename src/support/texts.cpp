#include "support/texts.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "support/platform.h"

namespace zolt {

namespace {

// In the order of the Text enumeration.
constexpr const char* kTexts[] = {
    // kBanner, kVersion, kMakerNotice
    "Ｚolt Ｋit %s %s\n",
    "Ver2.15 [WIN32 版]",
    "(C) Zolt Kit developers",
    // kUsage
    "[Usage] %s -[Cx|Ex[+]|J|K|Tn|U[+]|L|P|D] [FILE] [NEW_FILE]\n"
    "        %s -M FILE FILE [...] [-o[+] NEW_FILE]\n"
    "        %s -Sn1[.n2][L] [-#PATTERN] FILE [OUTDIR]\n"
    "\t-Cx:   改行コード変換(Crconv). x = d or u or m\n"
    "\t       Cd: MSDOS形式[0D0A], Cu: UNIX形式[0A], Cm: MAC形式[0D]\n"
    "\t-J:    MS-DOS 改行コード[0D0Ah]の削除(Join)\n"
    "\t-K:    半角カナを全角カナに変換(Kana)\n"
    "\t-M:    ファイルの結合(Merge)\n"
    "\t-Sn1[.n2][L]:  ファイルの分割(Split)\n"
    "\t       n1 = 分割サイズ( KB単位 ) or n1 = 分割行数( L 指定時 )\n"
    "\t       n2 = 分割番号を振る拡張子の桁数 2 <= n2 <= 5(WIN32 only)\n"
    "\t-#PATTERN  -#に続けて分割パターンを記述\n"
    "\t--#PATTERN 同上。ただし分割パターンマッチ行は出力しない\n"
    "\t-Tn:   TABコードを nバイト分のスペースに変換(Tab2space)\n"
    "\t     0 <= n <= 8. -T0 で TABコード削除\n"
    "\t-U:    連続した重複行を単一化(Uniq). -U+ で英大文字小文字同一視\n"
    "\t-L:    英大文字を小文字に変換(Lower)\n"
    "\t-P:    英小文字を大文字に変換(uPper)\n"
    "\t-D:    TABコードを除くコントロールコードを削除(Deletecontrolchar)\n"
    "\t-Ex:   文字コード変換(Encode). x = u: CP932→UTF-8, s: UTF-8→CP932\n"
    "\t       -Ex+ で変換できない文字を置換\n"
    "\t入出力ファイルには標準入出力が使えます(-M, -Sn[L] 除く)\n"
    "\tex. SORT < OLD.TXT | %s -U > NEW.TXT\n",
    // kShortName, kVersionLine, kUsageHint
    "ZOLT",
    "zolt (Zolt Kit) %s\n",
    "\t-? で Usage 表示",
    // kInvalidSwitch, kSameFile, kSpecifyFiles, kWriteFailed
    "<error> スイッチが不正です!:",
    "入力ファイルと出力ファイルが同名ファイルです!",
    "入出力ファイルの指定をして下さい!",
    "<error> 出力ファイルに書き込めません!: ",
    // kWorkBufferError, kMemoryError, kUniqMemoryError
    "global buf memory allocate error!",
    "Memory Allocate Error",
    "Memory Allocate Error!: in function Uniq()",
    // kDriveNotReady, kTotalMergeSize, kSplitting, kBufferSize
    "Drive Not Ready!",
    "Total Marge Size = %s byte\n",
    "Splitting '%s'(%s byte)\n",
    "allocated buf size =%s . ok\n",
    // Merge: kCannotOpen .. kReadFailed
    "ファイルがオープンできません: ",
    "ワイルドカードが複数指定されています: ",
    "LIST の作成に失敗しました",
    "出力ファイルを指定して下さい",
    "結合先ドライブの空き容量が不足しています",
    "パラメーターが足りません",
    "Merging to '%s'\n",
    " %sbytes ok\n",
    "ファイルが読み込めません: ",
    // Split: kSizeAndPattern .. kInputIsPiece
    "サイズ指定とパターン指定は併用できません",
    "ファイルが変です (^^; : ",
    "分割サイズが小さすぎます: ",
    "分割先ドライブの空き容量が不足しています",
    "ディレクトリが見つかりません: ",
    "ファイルが作成できません",
    "stdin",
    "_stdin_",
    "入力ファイルを分割ファイルで上書きできません: ",
    // kUnconvertible, kReplaced
    "変換できない文字があります: ",
    "変換できない文字を置換しました: ",
};
static_assert(std::size(kTexts) == static_cast<size_t>(Text::kCount));

// True when every text has a "%s" for each value TextSlots gives it and no
// other '%'.
constexpr bool SlotsAgree() {
  for (size_t i = 0; i < std::size(kTexts); ++i) {
    int slots = 0;
    for (const char* p = kTexts[i]; *p; ++p) {
      if (*p != '%') continue;
      if (p[1] != 's') return false;
      ++slots;
    }
    if (slots != TextSlots(static_cast<Text>(i))) return false;
  }
  return true;
}
static_assert(SlotsAgree(), "the texts' %s differ from TextSlots");

// Unicode code point and CP932 code of every non-ASCII character the texts
// use, sorted by code point. Made with tools/make_cp932_table.sh.
struct CodePair {
  char32_t unicode;
  unsigned short cp932;
};
constexpr CodePair kCp932[] = {
#include "support/cp932_table.inc"
};

// Decodes one UTF-8 sequence at `s[*i]`, advancing *i; 0xFFFFFFFF on error.
char32_t DecodeUtf8(const std::string& s, size_t* i) {
  unsigned char c = static_cast<unsigned char>(s[*i]);
  size_t extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
  char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
  if (extra > 0 && *i + extra >= s.size()) {
    *i = s.size();
    return 0xFFFFFFFF;
  }
  for (size_t k = 1; k <= extra; ++k)
    cp = (cp << 6) | (static_cast<unsigned char>(s[*i + k]) & 0x3F);
  *i += 1 + extra;
  return cp;
}

using TextTable = std::array<std::string, static_cast<size_t>(Text::kCount)>;

// The texts in CP932, converted once and never changed after.
const TextTable& Cp932Texts() {
  static const TextTable texts = [] {
    TextTable converted;
    for (size_t i = 0; i < converted.size(); ++i) Utf8ToCp932(kTexts[i], &converted[i]);
    return converted;
  }();
  return texts;
}

// The texts as written, in UTF-8.
const TextTable& Utf8Texts() {
  static const TextTable texts = [] {
    TextTable copied;
    for (size_t i = 0; i < copied.size(); ++i) copied[i] = kTexts[i];
    return copied;
  }();
  return texts;
}

}  // namespace

bool Utf8ToCp932(const std::string& utf8, std::string* cp932) {
  cp932->clear();
  bool ok = true;
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = DecodeUtf8(utf8, &i);
    if (cp < 0x80) {
      cp932->push_back(static_cast<char>(cp));
      continue;
    }
    const CodePair* end = std::end(kCp932);
    const CodePair* hit = std::lower_bound(
        std::begin(kCp932), end, cp, [](const CodePair& p, char32_t v) { return p.unicode < v; });
    if (hit == end || hit->unicode != cp) {
      cp932->push_back('?');
      ok = false;
      continue;
    }
    if (hit->cp932 > 0xFF) cp932->push_back(static_cast<char>(hit->cp932 >> 8));
    cp932->push_back(static_cast<char>(hit->cp932 & 0xFF));
  }
  return ok;
}

const char* TextUtf8(Text id) {
  return kTexts[static_cast<size_t>(id)];
}

const std::string& TextBytes(Text id) {
  const TextTable& texts = Sys().MessagesInUtf8() ? Utf8Texts() : Cp932Texts();
  return texts[static_cast<size_t>(id)];
}

}  // namespace zolt
