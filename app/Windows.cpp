#include "Windows.h"

Windows& windows() {
    static Windows instances;
    return instances;
}
