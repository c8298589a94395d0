// The band of a record and its right-hand side, wherever they live: what the elimination works
// on, so that it knows no record. Each record says where its own band lies (BandOf, beside it).
#pragma once

// Row r of the band starts at k + r * stride, its columns 1..nBand are in use; w[1..nNode].
struct BandRef {
    double* k;
    int stride;
    double* w;
    int nNode;
    int nBand;
};
