#pragma once
#include <string>
#include <vector>

namespace clipvane {

// Korean SAMI files often carry two languages, each subtitle once per paragraph class
// (<P Class=KRCC> and <P Class=ENCC>), in one SYNC block or in two of the same time.

// The class names of the file's paragraphs, in the order they first appear, as first
// written; two names that differ only in ASCII letter case are one class.
std::vector<std::string> SamiClasses(const std::string& text);

// The text with the paragraphs of every other class taken out, and the SYNC blocks
// that held nothing else, their line breaks kept, when the file has paragraphs of
// more than one class and `name` (any letter case) is one of them; otherwise the text
// as it is. An empty name (자동) keeps the file's first Korean class: KRCC, a name that
// starts with KR or KO, or a class whose style says lang:ko or a Korean name; a file
// without one stays as it is. The text may be UTF-8 or code page 949.
std::string KeepSamiClass(const std::string& text, const std::string& name);

}  // namespace clipvane
