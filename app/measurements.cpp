// The specimen's table of measurements.
#include "app/measurements.h"

namespace
{
// The table; written only by measurementAdd and measurementsClear.
struct MeasurementTable {
    int count;
    Measurement points[measurementsMost];
};
MeasurementTable table = {};
} // namespace

bool measurementAdd(const Measurement& point)
{
    if (table.count >= measurementsMost) {
        return false;
    }
    table.points[table.count++] = point;
    return true;
}

int measurementCount()
{
    return table.count;
}

const Measurement& measurementAt(int index)
{
    return table.points[index];
}

void measurementsClear()
{
    table.count = 0;
}
