// kernels.h: the numerical kernels (filled in by the kernels work).
#pragma once
#include <cstdint>
