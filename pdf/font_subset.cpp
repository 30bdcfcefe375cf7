#include "pdf/font_subset.h"

#include <hb-subset.h>
#include <hb.h>

#include <memory>

namespace quillon {

namespace {

template <typename T, void (*Destroy)(T*)>
struct HbDeleter {
    void operator()(T* object) const { Destroy(object); }
};
using Blob = std::unique_ptr<hb_blob_t, HbDeleter<hb_blob_t, hb_blob_destroy>>;
using Face = std::unique_ptr<hb_face_t, HbDeleter<hb_face_t, hb_face_destroy>>;
using Input =
    std::unique_ptr<hb_subset_input_t, HbDeleter<hb_subset_input_t, hb_subset_input_destroy>>;
using Plan = std::unique_ptr<hb_subset_plan_t, HbDeleter<hb_subset_plan_t, hb_subset_plan_destroy>>;

}  // namespace

bool SubsetFont(const std::string& font, const std::vector<std::uint32_t>& glyphs, bool keepNumbers,
                FontSubset& subset) {
    const Blob blob(hb_blob_create_or_fail(font.data(), static_cast<unsigned>(font.size()),
                                           HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    if (!blob) return false;
    const Face face(hb_face_create(blob.get(), 0));
    if (hb_face_get_glyph_count(face.get()) == 0) return false;
    const Input input(hb_subset_input_create_or_fail());
    if (!input) return false;
    hb_set_t* wanted = hb_subset_input_glyph_set(input.get());
    for (const std::uint32_t glyph : glyphs) hb_set_add(wanted, glyph);
    // The PDF addresses glyphs by number and brings its own widths and character map: names,
    // character map and layout tables would only add bytes.
    unsigned flags = HB_SUBSET_FLAGS_NOTDEF_OUTLINE | HB_SUBSET_FLAGS_DESUBROUTINIZE;
    if (keepNumbers) flags |= HB_SUBSET_FLAGS_RETAIN_GIDS;
    hb_subset_input_set_flags(input.get(), flags);
    const Plan plan(hb_subset_plan_create_or_fail(face.get(), input.get()));
    if (!plan) return false;
    const hb_map_t* mapping = hb_subset_plan_old_to_new_glyph_mapping(plan.get());
    subset.newGlyphs.clear();
    for (const std::uint32_t glyph : glyphs) {
        const hb_codepoint_t mapped = hb_map_get(mapping, glyph);
        subset.newGlyphs.push_back(
            mapped == HB_MAP_VALUE_INVALID ? 0 : static_cast<std::uint16_t>(mapped));
    }
    const Face result(hb_subset_plan_execute_or_fail(plan.get()));
    if (!result) return false;
    const Blob bytes(hb_face_reference_blob(result.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(bytes.get(), &length);
    if (data == nullptr || length == 0) return false;
    subset.file.assign(data, length);
    return true;
}

}  // namespace quillon
