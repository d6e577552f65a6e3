#include "net/CatalogueSignature.h"

#include <openssl/evp.h>

#include <memory>
#include <utility>

#include "codec/Base64.h"
#include "core/Log.h"
#include "net/CurlTransfer.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace net {
namespace {

// A signature file is one short line; anything much longer is not one.
constexpr std::size_t kMaxSignatureFile = 1024;

bool Fail(std::string* reason, const std::string& text) {
  if (reason) *reason = text;
  return false;
}

// The bytes of strict Base64 text of exactly `size` bytes, or none.
std::optional<std::string> DecodeExactly(const std::string& text, std::size_t size) {
  if (!codec::IsCanonicalBase64(text)) return std::nullopt;
  std::string bytes = codec::Base64Decode(text);
  if (bytes.size() != size) return std::nullopt;
  return bytes;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto start = text.find_first_not_of(" \t\r\n", i);
    if (start == std::string::npos) break;
    const auto end = text.find_first_of(" \t\r\n", start);
    words.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    i = end == std::string::npos ? text.size() : end;
  }
  return words;
}

bool VerifiedBy(const std::string& key, const std::string& signature, const std::string& bytes) {
  const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
      EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                  reinterpret_cast<const unsigned char*>(key.data()), key.size()),
      EVP_PKEY_free);
  const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                        EVP_MD_CTX_free);
  if (!pkey || !context) return false;
  // Ed25519 signs the message itself: no digest is named.
  return EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, pkey.get()) == 1 &&
         EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                          signature.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                          bytes.size()) == 1;
}

}  // namespace

CatalogueSignature::CatalogueSignature(const std::string& catalogueKey, std::string caBundle)
    : caBundle_(std::move(caBundle)) {
  const auto words = Words(catalogueKey);
  required_ = !words.empty();
  for (const auto& word : words) {
    if (auto key = DecodeExactly(word, kKeySize)) {
      keys_.push_back(std::move(*key));
    } else {
      keyProblems_ += (keyProblems_.empty() ? "" : "; ") + word.substr(0, 16) +
                      "... is not the Base64 of a 32-byte key";
    }
  }
}

bool CatalogueSignature::Verify(const std::string& bytes, const std::string& signatureText,
                                std::string* reason) const {
  if (keys_.empty()) return Fail(reason, "CatalogueKey holds no usable key");
  const auto signature = DecodeExactly(platform::Trim(signatureText), kSignatureSize);
  if (!signature) return Fail(reason, "the signature is not the Base64 of 64 bytes");
  for (const auto& key : keys_)
    if (VerifiedBy(key, *signature, bytes)) return true;
  return Fail(reason, "the signature does not match any catalogue key");
}

bool CatalogueSignature::CheckDownload(const std::string& url, const std::string& file,
                                       std::string* reason) const {
  if (!required_) return true;
  if (!keyProblems_.empty()) LOG_WARN("CatalogueKey: {0}.", keyProblems_);
  const std::string address = SignatureAddress(url);
  std::string text;
  TransferOptions options;
  options.caBundle = caBundle_;
  const TransferResult fetched = RunTransfer(
      address,
      [&](const char* data, std::size_t size) {
        text.append(data, size);
        return text.size() <= kMaxSignatureFile;
      },
      options);
  std::string why;
  const auto bytes = platform::ReadFile(file);
  if (!fetched.ok) {
    why = "cannot download " + address + ": " + fetched.reason;
  } else if (!bytes) {
    why = "cannot read " + file;
  } else if (Verify(*bytes, text, &why)) {
    return true;
  }
  LOG_ERROR("Refused the catalogue {0}: {1}.", url, why);
  return Fail(reason, why);
}

FileCheck CatalogueSignature::Guard(const std::string& url, FileCheck loads) const {
  return [check = *this, url, loads = std::move(loads)](const std::string& file) {
    return check.CheckDownload(url, file, nullptr) && loads(file);
  };
}

std::string CatalogueSignature::SignatureAddress(const std::string& url) {
  const auto scheme = url.find("://");
  const auto tail = url.find_first_of("?#", scheme == std::string::npos ? 0 : scheme + 3);
  if (tail == std::string::npos) return url + ".sig";
  return url.substr(0, tail) + ".sig" + url.substr(tail);
}

}  // namespace net
