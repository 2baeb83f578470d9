// What is written of a StoredImage in a file of some format: every part,
// level and channel the format holds, each description as that format's
// writer needs it, the encoding asked for or as stored, and a notice for
// each thing the format cannot take.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/files/formats/format_rules.h"
#include "host/files/oiio.h"
#include "host/files/stored_parts.h"

namespace tavi::host::files {

// One level as it is written: the description the writer is handed and the
// samples, with their type (UNKNOWN: each channel's own, as the writer
// stores them).
struct LevelToWrite {
    OIIO::ImageSpec spec;
    OIIO::ImageSpec read;                            // as it was read, for relabelling and notices
    std::shared_ptr<const detail::StoredLevel> cut;  // the level cut down, where it was
    const detail::StoredLevel *level = nullptr;
    detail::SampleBytes own;  // samples made for writing, where the stored ones will not do
    OIIO::TypeDesc handedAs = OIIO::TypeDesc::UNKNOWN;

    const unsigned char *samples() const { return own.empty() ? level->samples.data() : own.data(); }
};

class WritePlan {
public:
    WritePlan(const detail::StoredParts &stored, const OIIO::ImageOutput &output, const std::filesystem::path &path,
              const Encoding &encoding);

    // Every part and level to write; notices for what is left out. Returns
    // why the format cannot hold the picture at all, as encoded.
    std::optional<std::string> make();

    // Readies a level's samples once its writer has said how it stores
    // them, and notes what that loses.
    void handOver(LevelToWrite &level, const OIIO::ImageSpec &writer, bool firstLevel);

    // The descriptions of every level as read, in the order written.
    std::vector<OIIO::ImageSpec> levelsRead() const;

    std::vector<std::vector<LevelToWrite>> parts;
    Notices notices;

private:
    void note(const std::string &text);
    void addPart(const detail::StoredPart &part, bool treated);
    LevelToWrite levelFor(const detail::StoredLevel &stored, bool treated, bool cut, bool mipmapped);
    OIIO::ImageSpec specFor(const detail::StoredLevel &level, bool treated, bool mipmapped);
    void keepAttributes(OIIO::ImageSpec &spec, const OIIO::ImageSpec &read) const;
    void chooseTypes(OIIO::ImageSpec &spec) const;
    void encodeAsAsked(OIIO::ImageSpec &spec);
    void keepLossless(OIIO::ImageSpec &spec);
    void labelAlpha(OIIO::ImageSpec &spec, bool treated) const;
    void noteNarrowing(const detail::StoredLevel &held, const OIIO::ImageSpec &writer);
    OutputShape shape() const;
    std::optional<std::string> shapeProblem() const;
    void noteLosses();

    const detail::StoredParts &stored_;
    const OIIO::ImageOutput &output_;
    const FormatRules &rules_;
    const std::filesystem::path path_;
    const std::string name_;
    const bool sameFormat_;
    const Encoding encoding_;
    // The encoding of the treated part's first level, as written.
    Encoding resolved_;
    bool resolvedYet_ = false;
    int treatedWritten_ = -1;  // where the treated part is among `parts`
    bool withAlpha_ = false;
};

}  // namespace tavi::host::files
