// Enciphering and deciphering 5,120-byte packet bodies with a new key per packet,
// in one run: the common DES in the standard order through the order client's
// routine, the same DES in the chat profile's order through the profile cipher,
// and OpenSSL's DES-ECB (target: at least half of OpenSSL's speed).
// bench-deps: consign_session chatdesk_core OpenSSL::Crypto
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "chatdesk/DesCipher.h"
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

// The profile's order, single DES (an 8-character key), the key set per body as
// above.
void BM_ProfileOrderDes(benchmark::State &state)
{
    const bool decipher = state.range(0) != 0;
    std::vector<unsigned char> body(kBody, 0x5A);
    unsigned char key[9] = {};
    CDesCipher cipher("KEYTEXT1");
    for (auto _ : state) {
        NextKey(key);
        for (int i = 0; i < 8; ++i)
            key[i] = static_cast<unsigned char>(key[i] | 1); // no NUL inside the key text
        cipher.SetKey(reinterpret_cast<const char *>(key));
        if (decipher)
            cipher.DecryptBlocks(body.data(), body.data(), kBody);
        else
            cipher.EncryptBlocks(body.data(), body.data(), kBody);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBody);
}
BENCHMARK(BM_ProfileOrderDes)->Arg(0)->Arg(1);

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
