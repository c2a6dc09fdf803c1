#pragma once
// Gathering a response body from the pieces the transfer hands over.
#include <cstddef>
#include <string>

// Appends the piece to body and returns its size, unless that would take the
// body past limit: then tooLarge is set and 0 returned, which ends the
// transfer as failed.
std::size_t gatherPiece(std::string& body, bool& tooLarge, std::size_t limit, const char* piece, std::size_t bytes);
