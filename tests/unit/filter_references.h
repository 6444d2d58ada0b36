// Byte-at-a-time references for the line filters, written from the
// description of each filter rather than from its code. The unit tests and
// the filter fuzz target compare the block-wise filters against them.
#pragma once

#include <string>

namespace zolt::testing {

// Plain copy (type 0) or newline conversion to CR LF (1), LF (2) or CR (4).
std::string ReferenceCrconv(const std::string& in, int type);
// Every CR deleted; an LF kept unless it directly follows a CR.
std::string ReferenceJoin(const std::string& in);
// Letters to lower or upper case, the byte after a lead byte untouched.
std::string ReferenceCase(const std::string& in, bool lower);
// Control codes deleted but TAB, LF and the CR of a CR LF pair.
std::string ReferenceDeleteControl(const std::string& in);
// Half-width katakana to full-width, sound marks folded in.
std::string ReferenceKana(const std::string& in);
// TABs expanded to stops every `n` columns (1 to 8).
std::string ReferenceTabs(const std::string& in, int n);
// TABs deleted.
std::string ReferenceDeleteTabs(const std::string& in);
// Runs of equal lines reduced to their first; `fold` ignores letter case.
std::string ReferenceUniq(const std::string& in, bool fold);

}  // namespace zolt::testing
