#pragma once
// The cryptographic primitives the AES framing needs; the platform supplies them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zip {

class BlockCipher {
 public:
  virtual ~BlockCipher() = default;
  // Encrypts `blocks` 16-byte blocks in place, each on its own (ECB).
  virtual void EncryptBlocks(uint8_t* data, size_t blocks) = 0;
};

class Mac {
 public:
  virtual ~Mac() = default;
  virtual void Update(const uint8_t* data, size_t size) = 0;
  virtual std::vector<uint8_t> Finish() = 0;
};

class Crypto {
 public:
  virtual ~Crypto() = default;
  virtual void Random(uint8_t* out, size_t size) = 0;
  virtual std::vector<uint8_t> Pbkdf2Sha1(const std::string& password, const uint8_t* salt,
                                          size_t saltSize, unsigned iterations, size_t size) = 0;
  virtual std::unique_ptr<BlockCipher> Aes256(const uint8_t* key) = 0;
  virtual std::unique_ptr<Mac> HmacSha1(const uint8_t* key, size_t size) = 0;
};

}  // namespace zip
