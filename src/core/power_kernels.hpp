#pragma once

// A pow of eight lanes at once (AVX-512) or four (AVX2), for the kernels that take a step of
// many storms side by side: within kPowerLaneMargin of the C library's pow where it runs (see
// powerOfLanes), so that a single stored from it at both ends of that margin is the library's
// where the two agree. Only where LITTORAL_EXP_LANES_X86 is defined; a way's functions may only
// run where runsExpLanes of that way is true.

#include <cstdint>

#include "exp_kernels.hpp"

#ifdef LITTORAL_EXP_LANES_X86

namespace littoral::power_kernels {

// Written by tools/log_table.py: for each slice i of the mantissas in [1, 2) (their top seven
// bits), the inverse of its centre, and minus the logarithm of that inverse as head + tail.
alignas(64) inline constexpr std::uint64_t kLogInverseBits[128] = {
    0x3fefe01fe01fe020, 0x3fefa11caa01fa12, 0x3fef6310aca0dbb5, 0x3fef25f644230ab5,
    0x3feee9c7f8458e02, 0x3feeae807aba01eb, 0x3fee741aa59750e4, 0x3fee3a9179dc1a73,
    0x3fee01e01e01e01e, 0x3fedca01dca01dca, 0x3fed92f2231e7f8a, 0x3fed5cac807572b2,
    0x3fed272ca3fc5b1a, 0x3fecf26e5c44bfc6, 0x3fecbe6d9601cbe7, 0x3fec8b265afb8a42,
    0x3fec5894d10d4986, 0x3fec26b5392ea01c, 0x3febf583ee868d8b, 0x3febc4fd65883e7b,
    0x3feb951e2b18ff23, 0x3feb65e2e3beee05, 0x3feb37484ad806ce, 0x3feb094b31d922a4,
    0x3feadbe87f94905e, 0x3feaaf1d2f87ebfd, 0x3fea82e65130e159, 0x3fea574107688a4a,
    0x3fea2c2a87c51ca0, 0x3fea01a01a01a01a, 0x3fe9d79f176b682d, 0x3fe9ae24ea5510da,
    0x3fe9852f0d8ec0ff, 0x3fe95cbb0be377ae, 0x3fe934c67f9b2ce6, 0x3fe90d4f120190d5,
    0x3fe8e6527af1373f, 0x3fe8bfce8062ff3a, 0x3fe899c0f601899c, 0x3fe87427bcc092b9,
    0x3fe84f00c2780614, 0x3fe82a4a0182a4a0, 0x3fe8060180601806, 0x3fe7e225515a4f1d,
    0x3fe7beb3922e017c, 0x3fe79baa6bb6398b, 0x3fe77908119ac60d, 0x3fe756cac201756d,
    0x3fe734f0c541fe8d, 0x3fe713786d9c7c09, 0x3fe6f26016f26017, 0x3fe6d1a62681c861,
    0x3fe6b1490aa31a3d, 0x3fe691473a88d0c0, 0x3fe6719f3601671a, 0x3fe6524f853b4aa3,
    0x3fe63356b88ac0de, 0x3fe614b36831ae94, 0x3fe5f66434292dfc, 0x3fe5d867c3ece2a5,
    0x3fe5babcc647fa91, 0x3fe59d61f123ccaa, 0x3fe5805601580560, 0x3fe56397ba7c52e2,
    0x3fe54725e6bb82fe, 0x3fe52aff56a8054b, 0x3fe50f22e111c4c5, 0x3fe4f38f62dd4c9b,
    0x3fe4d843bedc2c4c, 0x3fe4bd3edda68fe1, 0x3fe4a27fad76014a, 0x3fe4880522014880,
    0x3fe46dce34596066, 0x3fe453d9e2c776ca, 0x3fe43a2730abee4d, 0x3fe420b5265e5951,
    0x3fe40782d10e6566, 0x3fe3ee8f42a5af07, 0x3fe3d5d991aa75c6, 0x3fe3bd60d9232955,
    0x3fe3a524387ac822, 0x3fe38d22d366088e, 0x3fe3755bd1c945ee, 0x3fe35dce5f9f2af8,
    0x3fe34679ace01346, 0x3fe32f5ced6a1dfa, 0x3fe3187758e9ebb6, 0x3fe301c82ac40260,
    0x3fe2eb4ea1fed14b, 0x3fe2d50a012d50a0, 0x3fe2bef98e5a3711, 0x3fe2a91c92f3c105,
    0x3fe293725bb804a5, 0x3fe27dfa38a1ce4d, 0x3fe268b37cd60127, 0x3fe2539d7e9177b2,
    0x3fe23eb79717605b, 0x3fe22a0122a0122a, 0x3fe21579804855e6, 0x3fe2012012012012,
    0x3fe1ecf43c7fb84c, 0x3fe1d8f5672e4abd, 0x3fe1c522fc1ce059, 0x3fe1b17c67f2bae3,
    0x3fe19e0119e0119e, 0x3fe18ab083902bdb, 0x3fe1778a191bd684, 0x3fe1648d50fc3201,
    0x3fe151b9a3fdd5c9, 0x3fe13f0e8d344724, 0x3fe12c8b89edc0ac, 0x3fe11a3019a74826,
    0x3fe107fbbe011080, 0x3fe0f5edfab325a2, 0x3fe0e40655826011, 0x3fe0d24456359e3a,
    0x3fe0c0a7868b4171, 0x3fe0af2f722eecb5, 0x3fe09ddba6af8360, 0x3fe08cabb37565e2,
    0x3fe07b9f29b8eae2, 0x3fe06ab59c7912fb, 0x3fe059eea0727586, 0x3fe04949cc1664c5,
    0x3fe038c6b78247fc, 0x3fe02864fc7729e9, 0x3fe0182436517a37, 0x3fe0080402010080,
};
alignas(64) inline constexpr std::uint64_t kLogHeadBits[128] = {
    0x3f6ff00aa2b10ba0, 0x3f87dc475f810a69, 0x3f93cea44346a584, 0x3f9b9fc027af919a,
    0x3fa1b0d98923d97f, 0x3fa58a5bafc8e4d3, 0x3fa95c830ec8e3f2, 0x3fad276b8adb0b56,
    0x3fb075983598e471, 0x3fb253f62f0a1417, 0x3fb42edcbea646ee, 0x3fb60658a93750c4,
    0x3fb7da766d7b12d0, 0x3fb9ab42462033ae, 0x3fbb78c82bb0eda0, 0x3fbd4313d66cb35d,
    0x3fbf0a30c01162a4, 0x3fc0671512ca596f, 0x3fc14785846742ac, 0x3fc2266f190a5acd,
    0x3fc303d718e47fd5, 0x3fc3dfc2b0ecc62a, 0x3fc4ba36f39a55e5, 0x3fc59338d9982085,
    0x3fc66acd4272ad51, 0x3fc740f8f54037a3, 0x3fc815c0a14357e9, 0x3fc8e928de886d41,
    0x3fc9bb362e7dfb85, 0x3fca8becfc882f19, 0x3fcb5b519e8fb5a6, 0x3fcc2968558c18c2,
    0x3fccf6354e09c5dd, 0x3fcdc1bca0abec7b, 0x3fce8c0252aa5a60, 0x3fcf550a564b7b37,
    0x3fd00e6c45ad501d, 0x3fd071b85fcd590d, 0x3fd0d46b579ab74b, 0x3fd136870293a8b0,
    0x3fd1980d2dd4236f, 0x3fd1f8ff9e48a2f3, 0x3fd2596010df763a, 0x3fd2b9303ab89d25,
    0x3fd31871c9544185, 0x3fd3772662bfd85c, 0x3fd3d54fa5c1f710, 0x3fd432ef2a04e813,
    0x3fd49006804009d0, 0x3fd4ec9732600269, 0x3fd548a2c3add263, 0x3fd5a42ab0f4cfe2,
    0x3fd5ff3070a793d4, 0x3fd659b57303e1f2, 0x3fd6b3bb2235943d, 0x3fd70d42e2789236,
    0x3fd7664e1239dbcf, 0x3fd7bede0a37afbf, 0x3fd816f41da0d495, 0x3fd86e919a330ba1,
    0x3fd8c5b7c858b48b, 0x3fd91c67eb45a83e, 0x3fd972a341135159, 0x3fd9c86b02dc0862,
    0x3fda1dc064d5b995, 0x3fda72a4966bd9e9, 0x3fdac718c258b0e5, 0x3fdb1b1e0ebdfc5a,
    0x3fdb6eb59d3cf35c, 0x3fdbc1e08b0dad0a, 0x3fdc149ff115f027, 0x3fdc66f4e3ff6ff9,
    0x3fdcb8e0744d7aca, 0x3fdd0a63ae721e64, 0x3fdd5b7f9ae2c684, 0x3fddac353e2c5955,
    0x3fddfc859906d5b5, 0x3fde4c71a8687704, 0x3fde9bfa659861f5, 0x3fdeeb20c640ddf3,
    0x3fdf39e5bc811e5d, 0x3fdf884a36fe9ec1, 0x3fdfd64f20f61571, 0x3fe011fab125ff8a,
    0x3fe0389eefce633c, 0x3fe05f14bd26459c, 0x3fe0855c884b450e, 0x3fe0ab76bece14d2,
    0x3fe0d163ccb9d6b8, 0x3fe0f7241c9b497d, 0x3fe11cb81787ccf8, 0x3fe1422025243d45,
    0x3fe1675cababa60e, 0x3fe18c6e0ff5cf07, 0x3fe1b154b57da29e, 0x3fe1d610fe677003,
    0x3fe1faa34b87094c, 0x3fe21f0bfc65beec, 0x3fe2434b6f483934, 0x3fe26762013430e0,
    0x3fe28b500df60783, 0x3fe2af15f02640ac, 0x3fe2d2b4012edc9d, 0x3fe2f62a99509546,
    0x3fe3197a0fa7fe6a, 0x3fe33ca2ba328994, 0x3fe35fa4edd36ea0, 0x3fe38280fe58797f,
    0x3fe3a5373e7ebdf9, 0x3fe3c7c7fff73206, 0x3fe3ea33936b2f5b, 0x3fe40c7a4880dcea,
    0x3fe42e9c6ddf80bf, 0x3fe4509a5133bb0a, 0x3fe472743f33aaad, 0x3fe4942a83a2fc07,
    0x3fe4b5bd6956e273, 0x3fe4d72d3a39fd01, 0x3fe4f87a3f5026e9, 0x3fe519a4c0ba3446,
    0x3fe53aad05b99b7c, 0x3fe55b9354b40bce, 0x3fe57c57f336f191, 0x3fe59cfb25fae87f,
    0x3fe5bd7d30e71c73, 0x3fe5ddde57149923, 0x3fe5fe1edad18919, 0x3fe61e3efda46467,
};
alignas(64) inline constexpr std::uint64_t kLogTailBits[128] = {
    0x3c02821ad5a6d357, 0x3c274944bc161072, 0xbc2865ad48159d00, 0xbc390ae69229dc86,
    0xbc474d7444dd6241, 0xbbfcab8569c56e40, 0x3c3eb41d00a417e9, 0x3c4078f14c95ff53,
    0x3c5006d2999e22dc, 0x3c21f6d34e01d981, 0xbc5511583653349b, 0xbc4f108b1d8436d3,
    0x3c4a2240644d7da2, 0xbc4a099e1c184e8e, 0xbc53ef0e61f9b03c, 0x3c5b90dd951d90fa,
    0x3c48be64b8b7759b, 0xbc52f39b81479b67, 0x3c394409f1d3f83a, 0xbc6dab840e7f6177,
    0xbc6b5ae71f658247, 0x3c6ba62b8c13f7f4, 0xbc6f767e433c98aa, 0x3c68d16eaaba9419,
    0xbc49201c9c3d5165, 0x3c56d9bf9d57b326, 0x3c5141b7f8c5fa9e, 0x3c42589eb96a6240,
    0xbc551439c1ff83e7, 0xbc5a8c37918c39eb, 0xbc6d5d8023e61e5f, 0x3c36108e3ae024ac,
    0x3c6339a07d55b696, 0x3c5c698a33316dfb, 0xbc3dc074737f9135, 0xbc613a09202fe73d,
    0xbc63b9568ff6fead, 0x3c608b83fcbdef40, 0x3c721f640e1e5ec9, 0x3c686cc531dba494,
    0xbc702c2e4f1b2eb9, 0xbc693fbf3418960d, 0xbc49eed8ae0ebd3c, 0xbc585ad7f614ab51,
    0xbc6ea3598981366f, 0x3c602a7589fba088, 0x3c553668e578d9cd, 0xbc683262e2b59206,
    0xbc4bff0d07c5df6d, 0xbc71aa87d977dc5e, 0xbc758ce7bf1846ee, 0xbc7c6bcb7dee9a3d,
    0xbc7063077d7e37b7, 0x3c1db0af8efb83c7, 0x3c7957a93326784d, 0x3c7ee99bf7143954,
    0xbc6d6d5d64f5daf8, 0xbc76783cb9801a5b, 0x3c776dc35fb48fe4, 0xbc7700c9d2029045,
    0x3c7d754b0205fa6c, 0x3c65e3ea3b96a3df, 0xbc75a3f62db48f27, 0x3c77e81149622bdf,
    0x3c7a0128698ba0b8, 0x3c7529dac69f61f1, 0x3c7682c7ade8dee3, 0xbc50ee1a7dd74ea6,
    0x3c71524332cd95c4, 0xbc5385e3e3ea99a8, 0x3c646868de7f39f6, 0xbc582947258b6889,
    0x3c7c5bbc32ef5aeb, 0x3c64acce112c40f2, 0x3c64841807b53f96, 0xbc7abc65a3f2f204,
    0x3c751e1399f96398, 0xbc734c36e0f052b9, 0xbc7de45038241ecf, 0xbc781e47141b8404,
    0x3c4200e221139873, 0x3c7618ae4f008400, 0xbc1b615859d5a349, 0x3c84043750211778,
    0x3c48aae29a41ba4a, 0x3c5935b8ee4f9efe, 0x3c8785826e49f318, 0x3c702936cabac09a,
    0x3c46119595d0f3c3, 0x3c8ba8443b9db19d, 0x3c7dc70f563f9920, 0x3c87e5e3b6a496ec,
    0xbc7cb19c15477c8e, 0xbc79a6baf4f4e637, 0x3c72770a5c124ab5, 0x3c7d27563647963d,
    0x3c8c42f71ef43276, 0xbc6c24f0c9187c92, 0xbc6bebb8cf0f6d11, 0xbc786a95781c6727,
    0x3c3813f3f4aaa9a3, 0x3c7ed8322925675a, 0x3c89ae9d3664e355, 0xbc87dcbcc6300133,
    0x3c6f6348fb97128f, 0x3c81c6ba66fd0910, 0x3c7727d468096436, 0xbc6756f4d8a9b974,
    0x3c75ce11148e1124, 0xbc3e80db7025bed1, 0x3c4f66e975ec9f52, 0x3c513c8b79ff2789,
    0xbc84d411c2cd7cf1, 0xbc85701d7ad284a5, 0xbc3a930fed5d6b7e, 0x3c72a18a88ca56b5,
    0xbc82c7a06beea772, 0x3c701a9a829c011b, 0xbc868ca8b1bcea9d, 0x3c8a332128e4a77f,
    0xbc67722c14b894e2, 0xbc41f342e541a63d, 0x3c81eac5c4377e6e, 0xbc6bb94822ace357,
    0xbbcc9649352e8e44, 0x3c40fa37d75ef285, 0x3c792e93de3ce483, 0x3c67923604841473,
};
inline constexpr double kLn2Head = 0x1.62e42fefa3800p-1;
inline constexpr double kLn2Tail = 0x1.ef35793c76730p-45;

// The log1p(r) - r of |r| <= 2^-8 as r^2 times a polynomial: Taylor's terms to r^7, which leave
// less than 2^-67 out.
inline constexpr double kLog1pTerms[6] = {-0.5, 1.0 / 3, -0.25, 0.2, -1.0 / 6, 1.0 / 7};

LITTORAL_AVX512_CODE_BEGIN

// a + b as sum + its rounding error, exactly (Knuth's two-sum).
LITTORAL_AVX512 inline __m512d roundingOfSum(__m512d a, __m512d b, __m512d sum) {
  const __m512d bPart = _mm512_sub_pd(sum, a);
  const __m512d aPart = _mm512_sub_pd(sum, bPart);
  return _mm512_add_pd(_mm512_sub_pd(a, aPart), _mm512_sub_pd(b, bPart));
}

// ln x of each lane as head + tail, for x a positive normal double: x = 2^k z with z in [1, 2),
// ln x = k ln 2 - ln(inverse) + log1p(z inverse - 1), with the sum's roundings kept in the tail.
// Its error is below 2^-60.
LITTORAL_AVX512 inline void logOfLanes(__m512d x, __m512d& head, __m512d& tail) {
  const __m512i bits = _mm512_castpd_si512(x);
  const __m512i exponent = _mm512_srli_epi64(bits, 52);
  const __m512i slice = _mm512_and_si512(_mm512_srli_epi64(bits, 45), _mm512_set1_epi64(127));
  const __m512d z = _mm512_castsi512_pd(
      _mm512_or_si512(_mm512_and_si512(bits, _mm512_set1_epi64(0x000fffffffffffff)),
                      _mm512_set1_epi64(0x3ff0000000000000)));
  // k as a double: the exponent's bits under those of 2^52, less 2^52 and the bias.
  const __m512d k = _mm512_sub_pd(
      _mm512_castsi512_pd(_mm512_or_si512(exponent, _mm512_set1_epi64(0x4330000000000000))),
      _mm512_set1_pd(0x1p52 + 1023));
  const __m512d inverse = _mm512_castsi512_pd(exp_kernels::tableEntries(kLogInverseBits, slice));
  const __m512d logHead = _mm512_castsi512_pd(exp_kernels::tableEntries(kLogHeadBits, slice));
  const __m512d logTail = _mm512_castsi512_pd(exp_kernels::tableEntries(kLogTailBits, slice));
  const __m512d r = _mm512_fmadd_pd(z, inverse, _mm512_set1_pd(-1.0));
  const __m512d kLn2 = _mm512_mul_pd(k, _mm512_set1_pd(kLn2Head));  // exact
  const __m512d first = _mm512_add_pd(kLn2, logHead);
  const __m512d second = _mm512_add_pd(first, r);
  __m512d terms = _mm512_set1_pd(kLog1pTerms[5]);
  for (int i = 4; i >= 0; --i) terms = _mm512_fmadd_pd(terms, r, _mm512_set1_pd(kLog1pTerms[i]));
  const __m512d log1pLessR = _mm512_mul_pd(_mm512_mul_pd(r, r), terms);
  const __m512d roundings =
      _mm512_add_pd(roundingOfSum(kLn2, logHead, first), roundingOfSum(first, r, second));
  const __m512d smallTerms = _mm512_fmadd_pd(k, _mm512_set1_pd(kLn2Tail), logTail);
  head = second;
  tail = _mm512_add_pd(_mm512_add_pd(smallTerms, roundings), log1pLessR);
}

// exp(head + tail) of each lane where head lies on exp's main path (the bits of `main`), for a
// tail below 2^-16: the C library's exp (exp_kernels) with the tail added to its reduced
// argument, which it takes a little beyond the library's ln 2/256, where the polynomial still
// holds to 2^-60.
LITTORAL_AVX512 inline __m512d expOfSum(__m512d head, __m512d tail, __mmask8& main) {
  using namespace exp_kernels;
  main = onMainPath(head);
  const __m512d shift = _mm512_set1_pd(kShift);
  __m512d kd = _mm512_fmadd_pd(head, _mm512_set1_pd(kInvLn2N), shift);
  const __m512i ki = _mm512_castpd_si512(kd);
  kd = _mm512_sub_pd(kd, shift);
  const __m512d r = _mm512_fmadd_pd(kd, _mm512_set1_pd(kNegLn2HiN), head);
  return expOfReduced(_mm512_add_pd(_mm512_fmadd_pd(kd, _mm512_set1_pd(kNegLn2LoN), r), tail), ki);
}

// pow(x, y) of each lane where x is a positive normal double and the head of y ln x lies on
// exp's main path (2^-54 to 512), or x is a zero and y positive (the bits of `main`): exp(y ln x)
// with ln x and its product with y carried as head + tail, within 2^-51 of the library's pow.
LITTORAL_AVX512 inline __m512d powerOfLanes(__m512d x, double y, __mmask8& main) {
  const __m512i bits = _mm512_castpd_si512(x);
  const __mmask8 normal =
      _mm512_cmplt_epu64_mask(_mm512_sub_epi64(bits, _mm512_set1_epi64(0x0010000000000000)),
                              _mm512_set1_epi64(0x7fe0000000000000));
  __m512d logHead, logTail;
  logOfLanes(x, logHead, logTail);
  const __m512d exponent = _mm512_set1_pd(y);
  const __m512d head = _mm512_mul_pd(exponent, logHead);
  const __m512d tail = _mm512_fmadd_pd(exponent, logTail, _mm512_fmsub_pd(exponent, logHead, head));
  const __m512d power = expOfSum(head, tail, main);
  main &= normal;
  if (!(y > 0)) return power;
  const __mmask8 zero = _mm512_testn_epi64_mask(bits, _mm512_set1_epi64(INT64_MAX));
  main |= zero;
  return _mm512_mask_mov_pd(power, zero, _mm512_setzero_pd());
}

LITTORAL_AVX512_CODE_END

// The four-lane ways of roundingOfSum, logOfLanes, expOfSum and powerOfLanes above: the same
// steps on AVX2 registers, the lanes of `main` all ones.
LITTORAL_AVX2 inline __m256d roundingOfSum(__m256d a, __m256d b, __m256d sum) {
  const __m256d bPart = _mm256_sub_pd(sum, a);
  const __m256d aPart = _mm256_sub_pd(sum, bPart);
  return _mm256_add_pd(_mm256_sub_pd(a, aPart), _mm256_sub_pd(b, bPart));
}

LITTORAL_AVX2 inline void logOfLanes(__m256d x, __m256d& head, __m256d& tail) {
  const __m256i bits = _mm256_castpd_si256(x);
  const __m256i exponent = _mm256_srli_epi64(bits, 52);
  const __m256i slice = _mm256_and_si256(_mm256_srli_epi64(bits, 45), _mm256_set1_epi64x(127));
  const __m256d z = _mm256_castsi256_pd(
      _mm256_or_si256(_mm256_and_si256(bits, _mm256_set1_epi64x(0x000fffffffffffff)),
                      _mm256_set1_epi64x(0x3ff0000000000000)));
  const __m256d k = _mm256_sub_pd(
      _mm256_castsi256_pd(_mm256_or_si256(exponent, _mm256_set1_epi64x(0x4330000000000000))),
      _mm256_set1_pd(0x1p52 + 1023));
  const __m256d inverse = _mm256_castsi256_pd(exp_kernels::tableEntries(kLogInverseBits, slice));
  const __m256d logHead = _mm256_castsi256_pd(exp_kernels::tableEntries(kLogHeadBits, slice));
  const __m256d logTail = _mm256_castsi256_pd(exp_kernels::tableEntries(kLogTailBits, slice));
  const __m256d r = _mm256_fmadd_pd(z, inverse, _mm256_set1_pd(-1.0));
  const __m256d kLn2 = _mm256_mul_pd(k, _mm256_set1_pd(kLn2Head));  // exact
  const __m256d first = _mm256_add_pd(kLn2, logHead);
  const __m256d second = _mm256_add_pd(first, r);
  __m256d terms = _mm256_set1_pd(kLog1pTerms[5]);
  for (int i = 4; i >= 0; --i) terms = _mm256_fmadd_pd(terms, r, _mm256_set1_pd(kLog1pTerms[i]));
  const __m256d log1pLessR = _mm256_mul_pd(_mm256_mul_pd(r, r), terms);
  const __m256d roundings =
      _mm256_add_pd(roundingOfSum(kLn2, logHead, first), roundingOfSum(first, r, second));
  const __m256d smallTerms = _mm256_fmadd_pd(k, _mm256_set1_pd(kLn2Tail), logTail);
  head = second;
  tail = _mm256_add_pd(_mm256_add_pd(smallTerms, roundings), log1pLessR);
}

LITTORAL_AVX2 inline __m256d expOfSum(__m256d head, __m256d tail, __m256i& main) {
  using namespace exp_kernels;
  main = onMainPath(head);
  const __m256d shift = _mm256_set1_pd(kShift);
  __m256d kd = _mm256_fmadd_pd(head, _mm256_set1_pd(kInvLn2N), shift);
  const __m256i ki = _mm256_castpd_si256(kd);
  kd = _mm256_sub_pd(kd, shift);
  const __m256d r = _mm256_fmadd_pd(kd, _mm256_set1_pd(kNegLn2HiN), head);
  return expOfReduced(_mm256_add_pd(_mm256_fmadd_pd(kd, _mm256_set1_pd(kNegLn2LoN), r), tail), ki);
}

LITTORAL_AVX2 inline __m256d powerOfLanes(__m256d x, double y, __m256i& main) {
  const __m256i bits = _mm256_castpd_si256(x);
  // bits - 2^52 below 0x7fe << 52 as unsigned: signed after turning both signs.
  const __m256i sign = _mm256_set1_epi64x(INT64_MIN);
  const __m256i normal = _mm256_cmpgt_epi64(
      _mm256_xor_si256(_mm256_set1_epi64x(0x7fe0000000000000), sign),
      _mm256_xor_si256(_mm256_sub_epi64(bits, _mm256_set1_epi64x(0x0010000000000000)), sign));
  __m256d logHead, logTail;
  logOfLanes(x, logHead, logTail);
  const __m256d exponent = _mm256_set1_pd(y);
  const __m256d head = _mm256_mul_pd(exponent, logHead);
  const __m256d tail = _mm256_fmadd_pd(exponent, logTail, _mm256_fmsub_pd(exponent, logHead, head));
  const __m256d power = expOfSum(head, tail, main);
  main = _mm256_and_si256(main, normal);
  if (!(y > 0)) return power;
  const __m256i zero = _mm256_cmpeq_epi64(_mm256_and_si256(bits, _mm256_set1_epi64x(INT64_MAX)),
                                          _mm256_setzero_si256());
  main = _mm256_or_si256(main, zero);
  return _mm256_blendv_pd(power, _mm256_setzero_pd(), _mm256_castsi256_pd(zero));
}

}  // namespace littoral::power_kernels

#endif  // LITTORAL_EXP_LANES_X86
