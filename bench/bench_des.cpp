// Enciphering and deciphering 5,120-byte packet bodies with a new key per packet,
// our DES against OpenSSL's DES-ECB in the same run (target: at least half of
// OpenSSL's speed).
// bench-deps: consign_session OpenSSL::Crypto
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "consign/session/Des.h"
#include "consign/session/PacketCipher.h"

namespace {

constexpr int kBody = 5120;

void NextKey(unsigned char key[8])
{
    std::memcpy(key, MakeSessionKey(), 8);
}

void BM_OurDes(benchmark::State &state)
{
    DesInit(0);
    const bool decipher = state.range(0) != 0;
    std::vector<unsigned char> body(kBody, 0x5A);
    unsigned char key[8];
    for (auto _ : state) {
        NextKey(key);
        DesSetKey(key);
        for (int at = 0; at < kBody; at += 8) {
            if (decipher)
                DesDecryptBlock(body.data() + at);
            else
                DesEncryptBlock(body.data() + at);
        }
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBody);
}
BENCHMARK(BM_OurDes)->Arg(0)->Arg(1);

void BM_OpenSslDes(benchmark::State &state)
{
    const int mode = state.range(0) != 0 ? DES_DECRYPT : DES_ENCRYPT;
    std::vector<unsigned char> body(kBody, 0x5A);
    unsigned char key[8];
    for (auto _ : state) {
        NextKey(key);
        DES_cblock k;
        std::memcpy(k, key, 8);
        DES_key_schedule schedule;
        DES_set_key_unchecked(&k, &schedule);
        for (int at = 0; at < kBody; at += 8) {
            DES_cblock *block = reinterpret_cast<DES_cblock *>(body.data() + at);
            DES_ecb_encrypt(block, block, &schedule, mode);
        }
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBody);
}
BENCHMARK(BM_OpenSslDes)->Arg(0)->Arg(1);

} // namespace
