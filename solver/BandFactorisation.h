// The band elimination as a Factorisation.
#pragma once

#include "solver/Factorisation.h"

std::unique_ptr<Factorisation> MakeBandFactorisation();
