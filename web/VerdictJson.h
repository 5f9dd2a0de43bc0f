// A check's verdict as the page shows it, in JSON: the one comparison's
// findings (Comparison.h), with the lines around the first difference cut
// to a window, and the step that answered there.
#ifndef MORVAVL_WEB_VERDICTJSON_H
#define MORVAVL_WEB_VERDICTJSON_H

#include "Comparison.h"
#include "Variants.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// {"agrees", "linesWritten", "linesExpected", "lineUnfinished", and
// "difference": null, or {"command", "line", "text", "missing",
// "afterLast", "answerLine" (the first that differs, from 1), "step" (0 when
// no logged step answered there), "unseen", "expected" and "written": the
// lines around the first that differs, each {"bytes", "before", "after",
// "complete"}, and "first", the index of that line among them}, and
// "diagnosis": null when it agrees, else the variants that give exactly its
// answers, most specific first, each {"name", "description", "section",
// "rule"}}. Bytes are JSON strings of one character per byte.
// `stepOf` gives the step that performed a command (from 0), or 0.
std::string
verdictJson(const Verdict &verdict,
            const std::function<std::uint64_t(std::uint64_t)> &stepOf,
            const std::vector<const Variant *> &diagnosis);

#endif
