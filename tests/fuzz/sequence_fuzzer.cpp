// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target for the sequence reader: no input may crash or hang it;
// it either gives residues A to Z that read back the same, whose groups
// titrate to a finite charge within their count and an isoelectric point
// in 0..14, or refuses with a message free of control characters.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "charge/Sequence.h"
#include "charge/Titration.h"

namespace {

void check(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "sequence_fuzzer: %s\n", what);
    __builtin_trap();
}

void checkMessage(const std::string& message) {
    check(!message.empty(), "an empty message");
    for (char c : message)
        check(static_cast<unsigned char>(c) >= 0x20, "a control character in the message");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    charge::ProteinSequence sequence;
    try {
        sequence = charge::readSequence(input);
    } catch (const charge::SequenceError& e) {
        checkMessage(e.what());
        return 0;
    }
    check(!sequence.residues.empty() && sequence.residues.size() <= size, "residues from nothing");
    for (char c : sequence.residues)
        check(c >= 'A' && c <= 'Z', "a residue that is not a letter A to Z");
    check(charge::readSequence(sequence.residues).residues == sequence.residues,
          "residues that do not read back");

    // The options from the first byte; bridges beyond the Cys are refused.
    const unsigned options = size ? data[0] : 0;
    charge::TitrationOptions o;
    o.disulfideBridges = static_cast<int>(options >> 2 & 7);
    o.nTerminusBlocked = options & 1;
    o.cTerminusBlocked = options & 2;
    charge::IonizableGroups groups;
    try {
        groups = charge::countGroups(sequence, o);
    } catch (const platform::Exception& e) {
        checkMessage(e.what());
        o = charge::fittedTo(sequence, o);
        groups = charge::countGroups(sequence, o);
    }
    int count = 0;
    for (int n : groups.counts) {
        check(n >= 0, "a negative count of groups");
        count += n;
    }
    for (const charge::PkaSet& set : charge::pkaSets()) {
        const auto sites = charge::titrationSites(groups, set);
        for (double pH : {0.0, 7.0, 14.0}) {
            const double z = charge::netCharge(sites, pH);
            check(std::isfinite(z) && std::abs(z) <= count, "a charge beyond the groups");
        }
        if (const auto pI = charge::isoelectricPoint(sites))
            check(*pI >= 0 && *pI <= 14, "an isoelectric point outside 0..14");
    }
    return 0;
}
