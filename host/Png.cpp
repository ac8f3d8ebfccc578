#include "host/Png.h"

#include <windows.h>
#include <wincodec.h>

namespace host {

namespace {

// COM for the calling thread, for as long as one call needs it. A thread already in another
// apartment keeps it: WIC works in either.
class ComScope {
public:
    ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr)) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

// One reference to a COM object, released by scope.
template <typename T> class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (m_p) {
            m_p->Release();
        }
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    // For the calls that hand out a new reference.
    T** out() { return &m_p; }

private:
    T* m_p = nullptr;
};

bool MakeFactory(ComRef<IWICImagingFactory>& factory) {
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out())));
}

} // namespace

bool WritePng(const std::wstring& path, const std::uint32_t* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) {
        return false;
    }
    // Rows of 24-bit BGR, the one layout every PNG encoder takes.
    const UINT stride = (static_cast<UINT>(width) * 3u + 3u) & ~3u;
    std::vector<BYTE> rows(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        BYTE* out = rows.data() + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = pixels[static_cast<std::size_t>(y) * width + x];
            *out++ = static_cast<BYTE>(rgb & 0xFF);
            *out++ = static_cast<BYTE>((rgb >> 8) & 0xFF);
            *out++ = static_cast<BYTE>((rgb >> 16) & 0xFF);
        }
    }

    ComScope com;
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    const bool ready =
        MakeFactory(factory) && SUCCEEDED(factory->CreateStream(stream.out())) &&
        SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())) &&
        SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(frame.out(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
        SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR);
    return ready &&
           SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(rows.size()),
                                        rows.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

bool ReadPng(const std::wstring& path, std::vector<std::uint32_t>& pixels, int& width, int& height) {
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    ComRef<IWICFormatConverter> converter;
    UINT w = 0, h = 0;
    if (!MakeFactory(factory) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.out())) ||
        FAILED(decoder->GetFrame(0, frame.out())) || FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0 ||
        FAILED(factory->CreateFormatConverter(converter.out())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
        return false;
    }
    std::vector<std::uint32_t> read(static_cast<std::size_t>(w) * h);
    if (FAILED(converter->CopyPixels(nullptr, w * 4u, static_cast<UINT>(read.size() * 4u),
                                     reinterpret_cast<BYTE*>(read.data())))) {
        return false;
    }
    for (std::uint32_t& pixel : read) {
        pixel &= 0x00FFFFFFu; // the filler byte is not a colour
    }
    pixels.swap(read);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

} // namespace host
