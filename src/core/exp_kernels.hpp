#pragma once

// The vector ways of exp_lanes.hpp as functions of vector registers, for the code that keeps its
// arguments in registers (the wave length iteration's rounds). Only where LITTORAL_EXP_LANES_X86
// is defined; a function of a way may only run where runsExpLanes(way) is true.

#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) && defined(__GLIBC__) && (defined(__GNUC__) || defined(__clang__))
#define LITTORAL_EXP_LANES_X86 1
#include <immintrin.h>
#endif

#ifdef LITTORAL_EXP_LANES_X86

namespace littoral::exp_kernels {

// glibc's exp: exp(x) = 2^(k/N) exp(r) with N = 128, x = k ln2/N + r and |r| <= ln2/2N; 2^(k/N)
// is 2^(k div N) H (1 + tail) from the table, exp(r) - 1 a polynomial of degree 5, and the
// result scale + scale tmp with scale = 2^(k div N) H. Its main path takes 2^-54 <= |x| < 512.
inline constexpr double kInvLn2N = 0x1.71547652b82fep7;
inline constexpr double kNegLn2HiN = -0x1.62e42fefa0000p-8;
inline constexpr double kNegLn2LoN = -0x1.cf79abc9e3b3ap-47;
inline constexpr double kShift = 0x1.8p52;
inline constexpr double kC2 = 0x1.ffffffffffdbdp-2;
inline constexpr double kC3 = 0x1.555555555543cp-3;
inline constexpr double kC4 = 0x1.55555cf172b91p-5;
inline constexpr double kC5 = 0x1.1111167a4d017p-7;
inline constexpr std::int64_t kMainTopLow = 0x3c9;   // the top 12 bits of 2^-54
inline constexpr std::int64_t kMainTopCount = 0x3f;  // up to those of 512

// Written by tools/exp_table.py: the bits of H less k << 45, and those of the tail.
alignas(64) inline constexpr std::uint64_t kHeadBits[128] = {
    0x3ff0000000000000, 0x3feff63da9fb3335, 0x3fefec9a3e778061, 0x3fefe315e86e7f85,
    0x3fefd9b0d3158574, 0x3fefd06b29ddf6de, 0x3fefc74518759bc8, 0x3fefbe3ecac6f383,
    0x3fefb5586cf9890f, 0x3fefac922b7247f7, 0x3fefa3ec32d3d1a2, 0x3fef9b66affed31b,
    0x3fef9301d0125b51, 0x3fef8abdc06c31cc, 0x3fef829aaea92de0, 0x3fef7a98c8a58e51,
    0x3fef72b83c7d517b, 0x3fef6af9388c8dea, 0x3fef635beb6fcb75, 0x3fef5be084045cd4,
    0x3fef54873168b9aa, 0x3fef4d5022fcd91d, 0x3fef463b88628cd6, 0x3fef3f49917ddc96,
    0x3fef387a6e756238, 0x3fef31ce4fb2a63f, 0x3fef2b4565e27cdd, 0x3fef24dfe1f56381,
    0x3fef1e9df51fdee1, 0x3fef187fd0dad990, 0x3fef1285a6e4030b, 0x3fef0cafa93e2f56,
    0x3fef06fe0a31b715, 0x3fef0170fc4cd831, 0x3feefc08b26416ff, 0x3feef6c55f929ff1,
    0x3feef1a7373aa9cb, 0x3feeecae6d05d866, 0x3feee7db34e59ff7, 0x3feee32dc313a8e5,
    0x3feedea64c123422, 0x3feeda4504ac801c, 0x3feed60a21f72e2a, 0x3feed1f5d950a897,
    0x3feece086061892d, 0x3feeca41ed1d0057, 0x3feec6a2b5c13cd0, 0x3feec32af0d7d3de,
    0x3feebfdad5362a27, 0x3feebcb299fddd0d, 0x3feeb9b2769d2ca7, 0x3feeb6daa2cf6642,
    0x3feeb42b569d4f82, 0x3feeb1a4ca5d920f, 0x3feeaf4736b527da, 0x3feead12d497c7fd,
    0x3feeab07dd485429, 0x3feea9268a5946b7, 0x3feea76f15ad2148, 0x3feea5e1b976dc09,
    0x3feea47eb03a5585, 0x3feea34634ccc320, 0x3feea23882552225, 0x3feea155d44ca973,
    0x3feea09e667f3bcd, 0x3feea012750bdabf, 0x3fee9fb23c651a2f, 0x3fee9f7df9519484,
    0x3fee9f75e8ec5f74, 0x3fee9f9a48a58174, 0x3fee9feb564267c9, 0x3feea0694fde5d3f,
    0x3feea11473eb0187, 0x3feea1ed0130c132, 0x3feea2f336cf4e62, 0x3feea427543e1a12,
    0x3feea589994cce13, 0x3feea71a4623c7ad, 0x3feea8d99b4492ed, 0x3feeaac7d98a6699,
    0x3feeace5422aa0db, 0x3feeaf3216b5448c, 0x3feeb1ae99157736, 0x3feeb45b0b91ffc6,
    0x3feeb737b0cdc5e5, 0x3feeba44cbc8520f, 0x3feebd829fde4e50, 0x3feec0f170ca07ba,
    0x3feec49182a3f090, 0x3feec86319e32323, 0x3feecc667b5de565, 0x3feed09bec4a2d33,
    0x3feed503b23e255d, 0x3feed99e1330b358, 0x3feede6b5579fdbf, 0x3feee36bbfd3f37a,
    0x3feee89f995ad3ad, 0x3feeee07298db666, 0x3feef3a2b84f15fb, 0x3feef9728de5593a,
    0x3feeff76f2fb5e47, 0x3fef05b030a1064a, 0x3fef0c1e904bc1d2, 0x3fef12c25bd71e09,
    0x3fef199bdd85529c, 0x3fef20ab5fffd07a, 0x3fef27f12e57d14b, 0x3fef2f6d9406e7b5,
    0x3fef3720dcef9069, 0x3fef3f0b555dc3fa, 0x3fef472d4a07897c, 0x3fef4f87080d89f2,
    0x3fef5818dcfba487, 0x3fef60e316c98398, 0x3fef69e603db3285, 0x3fef7321f301b460,
    0x3fef7c97337b9b5f, 0x3fef864614f5a129, 0x3fef902ee78b3ff6, 0x3fef9a51fbc74c83,
    0x3fefa4afa2a490da, 0x3fefaf482d8e67f1, 0x3fefba1bee615a27, 0x3fefc52b376bba97,
    0x3fefd0765b6e4540, 0x3fefdbfdad9cbe14, 0x3fefe7c1819e90d8, 0x3feff3c22b8f71f1,
};
alignas(64) inline constexpr std::uint64_t kTailBits[128] = {
    0x0000000000000000, 0x3c9b3b4f1a88bf6e, 0xbc7160139cd8dc5d, 0xbc905e7a108766d1,
    0x3c8cd2523567f613, 0xbc8bce8023f98efa, 0x3c60f74e61e6c861, 0x3c90a3e45b33d399,
    0x3c979aa65d837b6d, 0x3c8eb51a92fdeffc, 0x3c3ebe3d702f9cd1, 0xbc6a033489906e0b,
    0xbc9556522a2fbd0e, 0xbc5080ef8c4eea55, 0xbc91c923b9d5f416, 0x3c80d3e3e95c55af,
    0xbc801b15eaa59348, 0xbc8f1ff055de323d, 0x3c8b898c3f1353bf, 0xbc96d99c7611eb26,
    0x3c9aecf73e3a2f60, 0xbc8fe782cb86389d, 0x3c8a6f4144a6c38d, 0x3c807a05b0e4047d,
    0x3c968efde3a8a894, 0x3c875e18f274487d, 0x3c80472b981fe7f2, 0xbc96b87b3f71085e,
    0x3c82f7e16d09ab31, 0xbc3d219b1a6fbffa, 0x3c8b3782720c0ab4, 0x3c6e149289cecb8f,
    0x3c834d754db0abb6, 0x3c864201e2ac744c, 0x3c8fdd395dd3f84a, 0xbc86a3803b8e5b04,
    0xbc924aedcc4b5068, 0xbc9907f81b512d8e, 0xbc71d1e83e9436d2, 0xbc991919b3ce1b15,
    0x3c859f48a72a4c6d, 0xbc9312607a28698a, 0xbc58a78f4817895b, 0xbc7c2c9b67499a1b,
    0x3c4363ed60c2ac11, 0x3c9666093b0664ef, 0x3c6ecce1daa10379, 0x3c93ff8e3f0f1230,
    0x3c7690cebb7aafb0, 0x3c931dbdeb54e077, 0xbc8f94340071a38e, 0xbc87deccdc93a349,
    0xbc78dec6bd0f385f, 0xbc861246ec7b5cf6, 0x3c93350518fdd78e, 0x3c7b98b72f8a9b05,
    0x3c9063e1e21c5409, 0x3c34c7855019c6ea, 0x3c9432e62b64c035, 0xbc8ce44a6199769f,
    0xbc8c33c53bef4da8, 0xbc845378892be9ae, 0xbc93cedd78565858, 0x3c5710aa807e1964,
    0xbc93b3efbf5e2228, 0xbc6a12ad8734b982, 0xbc6367efb86da9ee, 0xbc80dc3d54e08851,
    0xbc781f647e5a3ecf, 0xbc86ee4ac08b7db0, 0xbc8619321e55e68a, 0x3c909ccb5e09d4d3,
    0xbc7b32dcb94da51d, 0x3c94ecfd5467c06b, 0x3c65ebe1abd66c55, 0xbc88a1c52fb3cf42,
    0xbc9369b6f13b3734, 0xbc805e843a19ff1e, 0xbc94d450d872576e, 0x3c90ad675b0e8a00,
    0x3c8db72fc1f0eab4, 0xbc65b6609cc5e7ff, 0x3c7bf68359f35f44, 0xbc93091fa71e3d83,
    0xbc5da9b88b6c1e29, 0xbc6c23f97c90b959, 0xbc92434322f4f9aa, 0xbc85ca6cd7668e4b,
    0x3c71affc2b91ce27, 0x3c6dd235e10a73bb, 0xbc87c50422622263, 0x3c8b1c86e3e231d5,
    0xbc91bbd1d3bcbb15, 0x3c90cc319cee31d2, 0x3c8469846e735ab3, 0xbc82dfcd978e9db4,
    0x3c8c1a7792cb3387, 0xbc907b8f4ad1d9fa, 0xbc55c3d956dcaeba, 0xbc90a40e3da6f640,
    0xbc68d6f438ad9334, 0xbc91eee26b588a35, 0x3c74ffd70a5fddcd, 0xbc91bdfbfa9298ac,
    0x3c736eae30af0cb3, 0x3c8ee3325c9ffd94, 0x3c84e08fd10959ac, 0x3c63cdaf384e1a67,
    0x3c676b2c6c921968, 0xbc808a1883ccb5d2, 0xbc8fad5d3ffffa6f, 0xbc900dae3875a949,
    0x3c74a385a63d07a7, 0xbc82919e2040220f, 0x3c8e5a50d5c192ac, 0x3c843a59ac016b4b,
    0xbc82d52107b43e1f, 0xbc892ab93b470dc9, 0x3c74b604603a88d3, 0x3c83c5ec519d7271,
    0xbc8ff7128fd391f0, 0xbc8dae98e223747d, 0x3c8ec3bc41aa2008, 0x3c842b94c3a9eb32,
    0x3c8a64a931d185ee, 0xbc8e37bae43be3ed, 0x3c77893b4d91cd9d, 0x3c5305c14160cc89,
};

// Each step below is one operation of glibc's exp for processors with FMA, in its order; the
// operands of an addition or a product may be swapped, which changes no bit.
#define LITTORAL_AVX512 __attribute__((target("avx512f,fma")))

// GCC 12 takes the undefined start of its AVX-512 intrinsics' results for a use of an
// uninitialized value: code with those intrinsics stands between these two.
#define LITTORAL_AVX512_CODE_BEGIN \
  _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wuninitialized\"")
#define LITTORAL_AVX512_CODE_END _Pragma("GCC diagnostic pop")

LITTORAL_AVX512_CODE_BEGIN

// The lanes whose argument lies on the main path.
LITTORAL_AVX512 inline __mmask8 onMainPath(__m512d argument) {
  const __m512i top = _mm512_and_si512(_mm512_srli_epi64(_mm512_castpd_si512(argument), 52),
                                       _mm512_set1_epi64(0x7ff));
  return _mm512_cmplt_epu64_mask(_mm512_sub_epi64(top, _mm512_set1_epi64(kMainTopLow)),
                                 _mm512_set1_epi64(kMainTopCount));
}

// The entries of a table at eight lanes' indices (each below the table's size), as a gather
// gives them. They are loaded a lane at a time: on AMD's Zen 4 a gather of eight took longer than
// eight loads and the moves that put them together (the passes of the wave length rounds, whose
// exps make two gathers each, took about 3.5 % less of a storm so).
LITTORAL_AVX512 inline __m512i tableEntries(const std::uint64_t* table, __m512i index) {
  alignas(64) std::uint64_t at[8];
  _mm512_store_si512(at, index);
  const auto entry = [&](std::size_t lane) { return std::int64_t(table[at[lane]]); };
  return _mm512_set_epi64(entry(7), entry(6), entry(5), entry(4), entry(3), entry(2), entry(1),
                          entry(0));
}

// exp's last steps, from the reduced argument r and the bits ki of k plus the shift: 2^(k/N)
// from the table as scale, and scale + scale tmp.
LITTORAL_AVX512 inline __m512d expOfReduced(__m512d r, __m512i ki) {
  const __m512i index = _mm512_and_si512(ki, _mm512_set1_epi64(127));
  const __m512d tail = _mm512_castsi512_pd(tableEntries(kTailBits, index));
  const __m512i head = tableEntries(kHeadBits, index);
  const __m512d scale = _mm512_castsi512_pd(_mm512_add_epi64(head, _mm512_slli_epi64(ki, 45)));
  const __m512d p23 = _mm512_fmadd_pd(r, _mm512_set1_pd(kC3), _mm512_set1_pd(kC2));
  const __m512d tailR = _mm512_add_pd(r, tail);
  const __m512d r2 = _mm512_mul_pd(r, r);
  const __m512d p45 = _mm512_fmadd_pd(r, _mm512_set1_pd(kC5), _mm512_set1_pd(kC4));
  const __m512d low = _mm512_fmadd_pd(p23, r2, tailR);
  const __m512d tmp = _mm512_fmadd_pd(_mm512_mul_pd(r2, r2), p45, low);
  return _mm512_fmadd_pd(scale, tmp, scale);
}

// exp of each lane of n vectors where it lies on the main path (the bits of main[k]); the other
// lanes hold no result. The vectors' steps are taken side by side, each step for all n before the
// next, so that their chains overlap in the processor.
template <std::size_t n>
LITTORAL_AVX512 inline void expOfLanes(const __m512d (&argument)[n], __m512d (&result)[n],
                                       __mmask8 (&main)[n]) {
  const __m512d shift = _mm512_set1_pd(kShift);
  __m512d kd[n];
  __m512i ki[n];
  __m512d r[n];
  for (std::size_t k = 0; k < n; ++k) {
    main[k] = onMainPath(argument[k]);
    kd[k] = _mm512_fmadd_pd(argument[k], _mm512_set1_pd(kInvLn2N), shift);
  }
  for (std::size_t k = 0; k < n; ++k) {
    ki[k] = _mm512_castpd_si512(kd[k]);
    kd[k] = _mm512_sub_pd(kd[k], shift);
  }
  for (std::size_t k = 0; k < n; ++k) {
    r[k] = _mm512_fmadd_pd(kd[k], _mm512_set1_pd(kNegLn2HiN), argument[k]);
  }
  for (std::size_t k = 0; k < n; ++k) {
    r[k] = _mm512_fmadd_pd(kd[k], _mm512_set1_pd(kNegLn2LoN), r[k]);
  }
  for (std::size_t k = 0; k < n; ++k) result[k] = expOfReduced(r[k], ki[k]);
}

// exp of each lane of one vector where it lies on the main path (the bits of `main`).
LITTORAL_AVX512 inline __m512d expOfLanes(__m512d argument, __mmask8& main) {
  const __m512d arguments[1] = {argument};
  __m512d results[1];
  __mmask8 mains[1];
  expOfLanes(arguments, results, mains);
  main = mains[0];
  return results[0];
}

LITTORAL_AVX512_CODE_END

#define LITTORAL_AVX2 __attribute__((target("avx2,fma")))

// The four-lane ways of onMainPath, tableEntries and expOfReduced: the lanes on the main path
// are all ones; the entries are loaded a lane at a time, as the eight-lane way loads them.
LITTORAL_AVX2 inline __m256i onMainPath(__m256d argument) {
  const __m256i top = _mm256_and_si256(_mm256_srli_epi64(_mm256_castpd_si256(argument), 52),
                                       _mm256_set1_epi64x(0x7ff));
  const __m256i fromLow = _mm256_sub_epi64(top, _mm256_set1_epi64x(kMainTopLow));
  return _mm256_and_si256(_mm256_cmpgt_epi64(fromLow, _mm256_set1_epi64x(-1)),
                          _mm256_cmpgt_epi64(_mm256_set1_epi64x(kMainTopCount), fromLow));
}

LITTORAL_AVX2 inline __m256i tableEntries(const std::uint64_t* table, __m256i index) {
  alignas(32) std::uint64_t at[4];
  _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
  const auto entry = [&](std::size_t lane) { return std::int64_t(table[at[lane]]); };
  return _mm256_set_epi64x(entry(3), entry(2), entry(1), entry(0));
}

LITTORAL_AVX2 inline __m256d expOfReduced(__m256d r, __m256i ki) {
  const __m256i index = _mm256_and_si256(ki, _mm256_set1_epi64x(127));
  const __m256d tail = _mm256_castsi256_pd(tableEntries(kTailBits, index));
  const __m256i head = tableEntries(kHeadBits, index);
  const __m256d scale = _mm256_castsi256_pd(_mm256_add_epi64(head, _mm256_slli_epi64(ki, 45)));
  const __m256d p23 = _mm256_fmadd_pd(r, _mm256_set1_pd(kC3), _mm256_set1_pd(kC2));
  const __m256d tailR = _mm256_add_pd(r, tail);
  const __m256d r2 = _mm256_mul_pd(r, r);
  const __m256d p45 = _mm256_fmadd_pd(r, _mm256_set1_pd(kC5), _mm256_set1_pd(kC4));
  const __m256d low = _mm256_fmadd_pd(p23, r2, tailR);
  const __m256d tmp = _mm256_fmadd_pd(_mm256_mul_pd(r2, r2), p45, low);
  return _mm256_fmadd_pd(scale, tmp, scale);
}

// exp of each lane where it lies on the main path (the lanes of `main`, all ones); the other
// lanes hold no result.
LITTORAL_AVX2 inline __m256d expOfLanes(__m256d argument, __m256i& main) {
  main = onMainPath(argument);
  const __m256d shift = _mm256_set1_pd(kShift);
  __m256d kd = _mm256_fmadd_pd(argument, _mm256_set1_pd(kInvLn2N), shift);
  const __m256i ki = _mm256_castpd_si256(kd);
  kd = _mm256_sub_pd(kd, shift);
  __m256d r = _mm256_fmadd_pd(kd, _mm256_set1_pd(kNegLn2HiN), argument);
  r = _mm256_fmadd_pd(kd, _mm256_set1_pd(kNegLn2LoN), r);
  return expOfReduced(r, ki);
}

#define LITTORAL_FMA __attribute__((target("fma")))

// exp of one argument where it lies on the main path (returns false elsewhere), as a lane of
// the ways above works it out.
LITTORAL_FMA inline bool expOnMainPath(double argument, double& result) {
  const auto bits = std::bit_cast<std::uint64_t>(argument);
  const auto top = std::int64_t((bits >> 52) & 0x7ff);
  if (std::uint64_t(top - kMainTopLow) >= std::uint64_t(kMainTopCount)) return false;
  double kd = __builtin_fma(argument, kInvLn2N, kShift);
  const auto ki = std::bit_cast<std::uint64_t>(kd);
  kd -= kShift;
  double r = __builtin_fma(kd, kNegLn2HiN, argument);
  r = __builtin_fma(kd, kNegLn2LoN, r);
  const std::uint64_t index = ki & 127;
  const double tail = std::bit_cast<double>(kTailBits[index]);
  const double scale = std::bit_cast<double>(kHeadBits[index] + (ki << 45));
  const double p23 = __builtin_fma(r, kC3, kC2);
  const double tailR = r + tail;
  const double r2 = r * r;
  const double p45 = __builtin_fma(r, kC5, kC4);
  const double low = __builtin_fma(p23, r2, tailR);
  const double tmp = __builtin_fma(r2 * r2, p45, low);
  result = __builtin_fma(scale, tmp, scale);
  return true;
}

}  // namespace littoral::exp_kernels

#endif  // LITTORAL_EXP_LANES_X86
