#pragma once

// The hash algorithms the tool offers, by the names used on the command line
// ("md5", "sha256") and in logs ("MD5", "SHA256").

#include "korbase/hash.h"

#include <wx/string.h>

#include <optional>
#include <vector>

// Every algorithm korbase computes, in HashAlgorithm order.
std::vector<HashAlgorithm> KnownAlgorithms();

// The command-line name: the log name in lower case.
wxString AlgorithmOption(HashAlgorithm algorithm);

// The algorithm with this name, in any letter case ("md5", "MD5"); none when unknown.
std::optional<HashAlgorithm> AlgorithmNamed(const wxString& name);

// "md5|sha1|...", for help texts and error messages.
wxString AlgorithmChoices();
