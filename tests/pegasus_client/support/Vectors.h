#ifndef PegasusClientTests_Vectors_h
#define PegasusClientTests_Vectors_h

#include <string>
#include <vector>

// Access to the exchanges captured from a real OpenPegasus server
// (shared/cimxml-vectors).

bool vectorsAvailable();
std::string vectorsDirectory();
std::string readVectorFile(const std::string& exchange, const std::string& file);

// The body of a captured HTTP message (everything after the blank line).
std::string httpBody(const std::string& message);

// A request with its MESSAGE ID and HOST field set to the given values,
// so that captures from other clients and ports compare byte for byte.
std::string normalisedRequest(std::string request, const std::string& messageId,
                              const std::string& hostField);

// A chunked body joined back together (trailers dropped).
std::string dechunked(const std::string& body);

// The lines cimclient-tostring/<className>.txt holds, as one block per
// instance: the path line first, then one line per property.
std::vector<std::vector<std::string>> referenceRenderings(const std::string& className);

#endif
