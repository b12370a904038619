#pragma once
// Random tables, through cuRAND's host API on both backends.
//
// cuda backend: <curand.h> as is; curandCreateGenerator makes a device generator that fills
// device memory.
//
// cpu backend: curandCreateGenerator makes cuRAND's host generator instead (the same arguments,
// forwarded to curandCreateGeneratorHost), and curandGenerateUniform(g, devicePtr, n) and the
// other generate calls fill "device" memory directly, since it is host memory. cuRAND's host
// generator produces the same numbers as its device generator for the same type, seed, offset
// and ordering, so a table is the same on both backends. curandGenerateUniform's values lie in
// (0, 1].
#include <curand.h>
#include <gpu/runtime.h>

#if !defined(__CUDACC__) && !defined(GPU_BACKEND_CUDA)
#define curandCreateGenerator curandCreateGeneratorHost
#endif
