#pragma once
// A fresh Ed25519 key for signing test catalogues as the server's owner would.
#include <openssl/evp.h>

#include <memory>
#include <string>

#include "codec/Base64.h"

namespace testing_support {

class CatalogueSigner {
 public:
  CatalogueSigner() {
    const std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> context(
        EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr), EVP_PKEY_CTX_free);
    EVP_PKEY* key = nullptr;
    if (context && EVP_PKEY_keygen_init(context.get()) == 1) EVP_PKEY_keygen(context.get(), &key);
    key_.reset(key);
  }

  // What CatalogueKey holds for this key.
  std::string PublicKey() const {
    unsigned char raw[32];
    std::size_t size = sizeof raw;
    EVP_PKEY_get_raw_public_key(key_.get(), raw, &size);
    return codec::Base64Encode(std::string(reinterpret_cast<char*>(raw), size));
  }

  // The content of the .sig file for `bytes`.
  std::string Sign(const std::string& bytes) const {
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          EVP_MD_CTX_free);
    unsigned char signature[64];
    std::size_t size = sizeof signature;
    EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key_.get());
    EVP_DigestSign(context.get(), signature, &size,
                   reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return codec::Base64Encode(std::string(reinterpret_cast<char*>(signature), size)) + "\n";
  }

 private:
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key_{nullptr, EVP_PKEY_free};
};

}  // namespace testing_support
