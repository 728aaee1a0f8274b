// The program's own sine, cosine and logarithm, written once over the number type: a double for
// one future at a time (UMath.h), a vector of lanes for the futures side by side (ULaneMath-inl.h).
// Both run literally this sequence of operations, and every one of them is an IEEE operation that
// rounds the same on every processor (+, -, *, /, sqrt, selects and bit moves; no fused
// multiply-add, no library call), so a future gives the same numbers whether it runs alone or in a
// lane, on any instruction set.
//
// No include guard: each user includes this once inside a namespace of its own (one per instruction
// set for the lanes), after defining the policy Ops that supplies the few primitives that differ
// between a double and a vector:
//   T, M                       the number and the per-lane condition
//   T Set(double)              a constant
//   T Neg(T), T Sqrt(T)        exact sign flip, correctly rounded square root
//   T Select(M, T Yes, T No)
//   M Odd(T), M SinNegative(T), M CosNegative(T)
//                              from Shifted = Y + RoundShift, which holds the integer nearest Y in
//                              its low bits: Y odd; Y mod 4 in {2, 3}; Y mod 4 in {1, 2}
//   T SplitExponent(T X, T& K) X = 2^K * M with M in [sqrt(1/2), sqrt(2)); returns M

// Adding 1.5 * 2^52 to |Y| < 2^51 leaves no bits for a fraction: the sum holds the integer nearest
// Y (halves to even, the rounding of the addition) in its low bits, and subtracting again gives it
// as a double. Two additions, exact and the same everywhere.
constexpr double RoundShift = 0x1.8p52;

// pi / 2 in three parts. The first two have 33 significant bits, so that Q times either is exact
// for |Q| < 2^20, that is |X| up to about 1.6e6 radians; beyond that the reduction is only as fine
// as X itself. From |X| about 2^50 on, the results mean nothing.
constexpr double TwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double PiOver2Part1 = 0x1.921fb544p+0;
constexpr double PiOver2Part2 = 0x1.0b4611a6p-34;
constexpr double PiOver2Part3 = 0x1.3198a2e037073p-69;
constexpr double TwoPi = 0x1.921fb54442d18p+2;

// Minimax polynomials on [-pi/4, pi/4], each within an ulp: sin(r) = r + r^3 * S(r^2),
// cos(r) = 1 - r^2 / 2 + r^4 * C(r^2).
constexpr double SinC1 = -0x1.5555555555549p-3;
constexpr double SinC2 = 0x1.111111110f8a6p-7;
constexpr double SinC3 = -0x1.a01a019c161d5p-13;
constexpr double SinC4 = 0x1.71de357b1fe7dp-19;
constexpr double SinC5 = -0x1.ae5e68a2b9cebp-26;
constexpr double SinC6 = 0x1.5d93a5acfd57cp-33;
constexpr double CosC1 = 0x1.555555555554cp-5;
constexpr double CosC2 = -0x1.6c16c16c15177p-10;
constexpr double CosC3 = 0x1.a01a019cb1590p-16;
constexpr double CosC4 = -0x1.27e4f809c52adp-22;
constexpr double CosC5 = 0x1.1ee9ebdb4b1c4p-29;
constexpr double CosC6 = -0x1.8fae9be8838d4p-37;

// log(1 + f) = 2 atanh(s), s = f / (2 + f): s^2 times a minimax polynomial in s^2 on the mantissa's
// range. ln 2 in two parts, the first short enough that K times it is exact.
constexpr double LogC1 = 0x1.5555555555593p-1;
constexpr double LogC2 = 0x1.999999997fa04p-2;
constexpr double LogC3 = 0x1.2492494229359p-2;
constexpr double LogC4 = 0x1.c71c51d8e78afp-3;
constexpr double LogC5 = 0x1.7466496cb03dep-3;
constexpr double LogC6 = 0x1.39a09d078c69fp-3;
constexpr double LogC7 = 0x1.2f112df3e5244p-3;
constexpr double Ln2Part1 = 0x1.62e42feep-1;
constexpr double Ln2Part2 = 0x1.a39ef35793c76p-33;

// Sine and cosine of X at once: X less the nearest multiple Q of pi / 2, then the two polynomials,
// swapped and negated by Q's quadrant.
template <class Ops>
inline void SinCosOf(typename Ops::T X, typename Ops::T& Sin, typename Ops::T& Cos) {
  using T = typename Ops::T;
  const T shifted = X * Ops::Set(TwoOverPi) + Ops::Set(RoundShift);
  const T q = shifted - Ops::Set(RoundShift);
  // X - Q * part1 is exact; only the two smaller parts round.
  const T r =
      ((X - q * Ops::Set(PiOver2Part1)) - q * Ops::Set(PiOver2Part2)) - q * Ops::Set(PiOver2Part3);
  const T z = r * r;

  const T s =
      Ops::Set(SinC2) +
      z * (Ops::Set(SinC3) + z * (Ops::Set(SinC4) + z * (Ops::Set(SinC5) + z * Ops::Set(SinC6))));
  const T sinR = r + (z * r) * (Ops::Set(SinC1) + z * s);

  const T c = z * (Ops::Set(CosC1) +
                   z * (Ops::Set(CosC2) +
                        z * (Ops::Set(CosC3) +
                             z * (Ops::Set(CosC4) + z * (Ops::Set(CosC5) + z * Ops::Set(CosC6))))));
  // 1 - z / 2 rounds; what it lost is added back with the small terms.
  const T half = Ops::Set(0.5) * z;
  const T w = Ops::Set(1) - half;
  const T cosR = w + (((Ops::Set(1) - w) - half) + z * c);

  const typename Ops::M odd = Ops::Odd(shifted);
  const T sin = Ops::Select(odd, cosR, sinR);
  const T cos = Ops::Select(odd, sinR, cosR);
  Sin = Ops::Select(Ops::SinNegative(shifted), Ops::Neg(sin), sin);
  Cos = Ops::Select(Ops::CosNegative(shifted), Ops::Neg(cos), cos);
}

// Natural logarithm of a positive, finite, normal X.
template <class Ops> inline typename Ops::T LogOf(typename Ops::T X) {
  using T = typename Ops::T;
  T k;
  const T m = Ops::SplitExponent(X, k);
  const T f = m - Ops::Set(1);
  const T halfSquare = Ops::Set(0.5) * f * f;
  const T s = f / (Ops::Set(2) + f);
  const T z = s * s;
  const T w = z * z;
  const T even = w * (Ops::Set(LogC2) + w * (Ops::Set(LogC4) + w * Ops::Set(LogC6)));
  const T odd =
      z * (Ops::Set(LogC1) + w * (Ops::Set(LogC3) + w * (Ops::Set(LogC5) + w * Ops::Set(LogC7))));
  const T r = odd + even;
  return s * (halfSquare + r) + k * Ops::Set(Ln2Part2) - halfSquare + f + k * Ops::Set(Ln2Part1);
}

// A standard normal value from two uniform values in [0, 1), by Box and Muller: always exactly two
// draws, so that futures side by side never wait for one another's retries. 1 - U1 lies in (0, 1],
// where the logarithm is finite.
template <class Ops> inline typename Ops::T GaussianOf(typename Ops::T U1, typename Ops::T U2) {
  using T = typename Ops::T;
  T sin, cos;
  SinCosOf<Ops>(Ops::Set(TwoPi) * U2, sin, cos);
  return Ops::Sqrt(Ops::Set(-2) * LogOf<Ops>(Ops::Set(1) - U1)) * cos;
}
