#pragma once
// NSMutableAttributedString: text with attributes over UTF-16 ranges, kept as runs of equal attributes.

#include "os/foundation/Data.h"
#include "os/foundation/Value.h"

#include <string>
#include <vector>

namespace ns {

inline constexpr const char* FontAttributeName = "NSFont";
inline constexpr const char* ForegroundColorAttributeName = "NSColor";
inline constexpr const char* StrikethroughStyleAttributeName = "NSStrikethrough";
inline constexpr const char* AttachmentAttributeName = "NSAttachment";

class AttributedString {
public:
    struct Run {
        Range range; // UTF-16 units
        Dictionary attributes;
    };

    explicit AttributedString(std::string text = {}, const Dictionary& attributes = {});

    const std::string& string() const { return text_; }
    size_t length16() const { return length16_; }

    // The range is clipped to the text; setting nil removes the key over the range.
    void addAttribute(const std::string& key, const Value& value, Range range);
    // Attributes at a UTF-16 index (none past the end); effectiveRange receives the run's range.
    Dictionary attributes(size_t index, Range* effectiveRange = nullptr) const;
    // Consecutive runs covering the whole text, neighbours always differing.
    const std::vector<Run>& runs() const { return runs_; }

private:
    void splitAt(size_t index);
    void mergeEqualNeighbours();

    std::string text_;
    size_t length16_ = 0;
    std::vector<Run> runs_;
};

} // namespace ns
