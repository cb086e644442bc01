// The fuzz targets' check: a property that must hold for every input stops the
// run where it fails, so libFuzzer keeps the input as a finding.
#pragma once

inline void Require(bool holds)
{
    if (!holds)
        __builtin_trap();
}
