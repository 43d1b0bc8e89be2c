#pragma once

// The hint shown over the header of a tact column of the diagram: what the
// tact's word is and its value in every cycle. Plain text, CR LF after
// every line, built from the document alone so that it is tested without a
// window.

#include <string>

namespace qv {

class TQuorvik;

// The hint for a header of kind 'i', 'o' or 'O', 'g' or 'G' naming word
// `number` of the current test; the catalogue message 43..46 when the word
// does not exist. Empty for any other kind and without a current test.
std::string DiagramHint(const TQuorvik &document, char kind, int number);

} // namespace qv
