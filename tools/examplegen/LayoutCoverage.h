// How a layout's photos cover the sphere: the share of it that no photo, one photo or several
// photos see, and how much of each photo its neighbours also show. Used to choose a layout.
#pragma once

#include <vector>

#include "tools/examplegen/ExampleLayout.h"

struct LayoutCoverage {
    // Shares of the sphere's area, adding up to 1.
    double uncovered = 0.0;
    double single = 0.0;
    double multiple = 0.0;
    // Per photo: the share of its pixels that some other photo also covers, and the largest
    // share that one other photo covers (the overlap with its closest neighbour).
    std::vector<double> overlap;
    std::vector<double> neighbourOverlap;

    // Measures on a grid of `rows` latitudes (and twice as many longitudes), each cell weighted
    // by its area; the photos are sampled every `photoStep` pixels.
    static LayoutCoverage Measure(const ExampleLayout& layout, int rows = 360, int photoStep = 8);
};
