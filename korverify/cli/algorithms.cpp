#include "korverify/cli/algorithms.h"

std::vector<HashAlgorithm> KnownAlgorithms()
{
    // korbase names each algorithm it computes and no other, so its name table is the
    // one list: algorithms it gains appear here without a change.
    std::vector<HashAlgorithm> algorithms;
    for (int value = 0; !HashAlgorithmName(static_cast<HashAlgorithm>(value)).empty(); ++value)
        algorithms.push_back(static_cast<HashAlgorithm>(value));
    return algorithms;
}

wxString AlgorithmOption(HashAlgorithm algorithm)
{
    return HashAlgorithmName(algorithm).Lower();
}

std::optional<HashAlgorithm> AlgorithmNamed(const wxString& name)
{
    for (HashAlgorithm algorithm : KnownAlgorithms())
    {
        if (HashAlgorithmName(algorithm).IsSameAs(name, false))
            return algorithm;
    }
    return std::nullopt;
}

wxString AlgorithmChoices()
{
    wxString choices;
    for (HashAlgorithm algorithm : KnownAlgorithms())
        choices << (choices.empty() ? "" : "|") << AlgorithmOption(algorithm);
    return choices;
}
