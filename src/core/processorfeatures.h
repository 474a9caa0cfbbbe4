#pragma once

// What the running processor offers, asked once: one binary serves every x86-64 processor,
// and the vector kernels are picked by this at run time. False where no x86 kernels are
// built.
bool processorHasAvx2();
