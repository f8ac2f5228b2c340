#pragma once
// The segment catalogue of docs/skin-making.md, written from the board's own tables: the
// Image sections' order, the design geometry with its layers and the delivered pictures.
#include <string>
#include <string_view>

namespace q50doc {

// What a segment shows, in a few words ("enemy 3's flame, frame 2").
std::string what_it_shows(std::string_view segment);

// The Markdown block between the catalogue markers, `pictures` the delivered skin folder as
// seen from the document (for the pictures of the lit segments).
std::string catalogue_markdown(std::string_view pictures);

inline constexpr std::string_view kBegin =
    "<!-- catalogue: written by q50-skin-doc from the board's tables; do not edit by hand -->";
inline constexpr std::string_view kEnd = "<!-- end of catalogue -->";

// `document` with the text between the markers replaced by `catalogue`; empty when a marker
// is missing.
std::string with_catalogue(std::string_view document, std::string_view catalogue);

} // namespace q50doc
