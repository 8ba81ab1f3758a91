#pragma once
// Deterministic stand-ins for the platform's cryptography: not secure, but every byte depends
// on the key, so the framing (salt, check value, MAC) is exercised as with the real thing.
#include <atomic>
#include <stdexcept>

#include "zip/crypto.h"

namespace dszip {

inline uint32_t Mix(uint32_t hash, uint8_t byte) { return (hash ^ byte) * 16777619u; }

class FakeCrypto : public zip::Crypto {
 public:
  std::atomic<uint8_t> nextRandom{1};  // workers ask at the same time
  void Random(uint8_t* out, size_t size) override {
    for (size_t i = 0; i < size; ++i) out[i] = nextRandom++;
  }
  std::atomic<bool> fails{false};  // key derivation throws, as a platform error would
  std::vector<uint8_t> Pbkdf2Sha1(const std::string& password, const uint8_t* salt, size_t saltSize,
                                  unsigned iterations, size_t size) override {
    if (fails) throw std::runtime_error("Kryptografiefehler 0xC0000001");
    uint32_t hash = 2166136261u + iterations;
    for (const char c : password) hash = Mix(hash, static_cast<uint8_t>(c));
    for (size_t i = 0; i < saltSize; ++i) hash = Mix(hash, salt[i]);
    std::vector<uint8_t> out(size);
    for (auto& byte : out) byte = static_cast<uint8_t>((hash = Mix(hash, 0x5A)) >> 24);
    return out;
  }
  std::unique_ptr<zip::BlockCipher> Aes256(const uint8_t* key) override {
    struct Cipher : zip::BlockCipher {
      std::vector<uint8_t> key;
      void EncryptBlocks(uint8_t* data, size_t blocks) override {
        for (size_t i = 0; i < blocks * 16; ++i)
          data[i] = static_cast<uint8_t>((data[i] ^ key[i % 32]) * 7 + 3);
      }
    };
    auto cipher = std::make_unique<Cipher>();
    cipher->key.assign(key, key + 32);
    return cipher;
  }
  std::unique_ptr<zip::Mac> HmacSha1(const uint8_t* key, size_t size) override {
    struct Fnv : zip::Mac {
      uint32_t hash = 2166136261u;
      void Update(const uint8_t* data, size_t size) override {
        for (size_t i = 0; i < size; ++i) hash = Mix(hash, data[i]);
      }
      std::vector<uint8_t> Finish() override {
        std::vector<uint8_t> out(20);
        for (auto& byte : out) byte = static_cast<uint8_t>((hash = Mix(hash, 0xA5)) >> 24);
        return out;
      }
    };
    auto mac = std::make_unique<Fnv>();
    mac->Update(key, size);
    return mac;
  }
};

}  // namespace dszip
