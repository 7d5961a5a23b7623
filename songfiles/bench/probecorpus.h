#pragma once
// The probe benchmarks' corpus: 2,000 generated song files, 400 of each category, kept
// in a folder so that the in-process and whole-process benchmarks can share one.

#include <QString>
#include <vector>

namespace probebench {

enum Category { CbrInfo, CbrBare, VbrXing, VbrBare, RmpFile, kCategories };

/// Short names for tables ("CBR+Info+tag", …).
const char* CategoryName(int category);

struct Corpus {
    QString folder;
    std::vector<std::vector<QString>> files{kCategories}; // by category
    std::vector<QString> all;                             // in name order
};

/// The corpus in `folder`: written there unless all 2,000 files are there already.
/// Song length from MWEX_BENCH_SONG_SECONDS (default 30 s), varied per file.
Corpus MakeCorpus(const QString& folder);

} // namespace probebench
