// The fair premium of an option on a futures price (the Black model), from
// which the back end sets its options' previous settlement prices.
#pragma once

namespace simbackend {

// `type` 'C' or 'P'; `spread` is the volatility over the option's remaining
// life (sigma times the square root of the time), e.g. 0.05 for 5 %.
double OptionPremium(char type, double forward, double strike, double spread);

}  // namespace simbackend
