#include "dialogs/core/ResetValueWriter.h"

#include "config/CUtilityCodec.h"
#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"

#include <algorithm>
#include <memory>
#include <new>
#include <span>

using vexar::link::CVEXARLink;

namespace ResetValue {

namespace {

bool WriteParameter(CVEXARLink& app, const REC_CONTROLLO& source, std::int32_t value)
{
    if (!app.m_pParWork || !app.m_pParMaster || app.m_nParSize <= 0)
        return false;
    int bytes = 0;
    const std::span<std::uint8_t> work(app.m_pParWork.get(), static_cast<std::size_t>(app.m_nParSize));
    if (!CUtility::WriteDatoValue(work, source.LSB, value, bytes, source.TIPO, source.MASCHERA,
                                  app.m_bLittleEndian != 0) ||
        bytes <= 0)
        return false;
    {
        std::lock_guard lock(app.m_csParImage);
        std::copy_n(app.m_pParWork.get() + source.LSB, bytes, app.m_pParMaster.get() + source.LSB);
    }
    return app.PostLinkRequest(vexar::link::WM_LINK_WRITE_RANGE, static_cast<std::uintptr_t>(source.LSB), bytes);
}

bool WriteVariable(CVEXARLink& app, const REC_CONTROLLO& source, std::int32_t value)
{
    const int size = CUtility::GetDatoSize(source.TIPO);
    if (size <= 0)
        return false;
    auto request = std::unique_ptr<vexar::link::VARIABLE_WRITE>(new (std::nothrow) vexar::link::VARIABLE_WRITE);
    if (!request)
        return false;
    request->address = source.LSB;
    request->size = size;
    request->engValue = value;
    if (!CUtility::GetDatoMask(source.TIPO, source.MASCHERA, value, app.m_bLittleEndian != 0, request->mask,
                               request->value))
        return false;
    return app.PostLinkRequest(vexar::link::WM_LINK_WRITE_VARIABLE, 0, 0, std::move(request));
}

}  // namespace

bool Write(CVEXARLink& app, const REC_CONTROLLO& source, bool active)
{
    const auto* block = std::get_if<ResetBlock>(&source.GRAFICA);
    if (!block || source.CATEGORIA != CTRL_RESET)
        return false;
    const std::int32_t value = active ? block->RESET : block->NORMAL;
    return block->PAR_VAR == RESET_IN_VAR ? WriteVariable(app, source, value) : WriteParameter(app, source, value);
}

}  // namespace ResetValue
