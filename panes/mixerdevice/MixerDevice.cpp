#include "MixerDevice.h"

#include <cstring>

namespace {

constexpr MMRESULT kNotPossible = 1;

HMIXEROBJ Object(HMIXER mixer)
{
    return reinterpret_cast<HMIXEROBJ>(mixer);
}

// Values of a control: one per channel (one for a uniform control), times its items.
DWORD ValueCount(const MIXERCONTROLA& control, DWORD lineChannels)
{
    DWORD channels = (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : lineChannels;
    if (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE)
        channels *= control.cMultipleItems;
    return channels;
}

MixerLineRecord Record(DWORD mixerId, const MIXERLINEA& line, DWORD controlId, const char* name)
{
    MixerLineRecord record{};
    record.mixerId = mixerId;
    record.lineId = line.dwLineID;
    record.controlId = controlId;
    record.componentType = line.dwComponentType;
    record.targetType = line.Target.dwType;
    memcpy(record.name, name, sizeof record.name);
    return record;
}

} // namespace

DWORD PackMixerValues(const MIXERCONTROLDETAILS_UNSIGNED* values, DWORD count)
{
    if (count == 0)
        return 0;
    DWORD left = values[0].dwValue & 0xFFFF;
    DWORD right = count == 1 ? left : values[1].dwValue & 0xFFFF;
    return left | (right << 16);
}

void UnpackMixerValue(DWORD packed, MIXERCONTROLDETAILS_UNSIGNED* values, DWORD count)
{
    DWORD left = packed & 0xFFFF, right = packed >> 16;
    if (count == 1) {
        values[0].dwValue = left;
        return;
    }
    for (DWORD i = 0; i + 1 < count; i += 2) {
        values[i].dwValue = left;
        values[i + 1].dwValue = right;
    }
    // A line with an odd number of channels: the last one follows the first, not silence.
    if (count % 2)
        values[count - 1].dwValue = left;
}

CMixerDevice::CMixerDevice() = default;

CMixerDevice::~CMixerDevice()
{
    Close();
}

void CMixerDevice::Close()
{
    if (m_mixer)
        ::mixerClose(m_mixer);
    m_mixer = nullptr;
}

MMRESULT CMixerDevice::Open(UINT_PTR handle, DWORD componentType, DWORD_PTR callback, DWORD_PTR instance, DWORD flags)
{
    Close();
    HMIXER mixer = nullptr;
    MMRESULT result = ::mixerOpen(&mixer, (UINT)handle, callback, instance, flags);
    if (result != MMSYSERR_NOERROR)
        return result;
    m_mixer = mixer;

    UINT id = 0;
    ::mixerGetID(Object(m_mixer), &id, MIXER_OBJECTF_HMIXER);
    m_mixerId = id;
    m_caps = MIXERCAPSA{};
    ::mixerGetDevCapsA(m_mixerId, &m_caps, sizeof m_caps);

    for (DWORD index = 0; index < m_caps.cDestinations; ++index) {
        MIXERLINEA line{};
        line.cbStruct = sizeof line;
        line.dwDestination = index;
        result = ::mixerGetLineInfoA(Object(m_mixer), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION);
        if (result != MMSYSERR_NOERROR) {
            Close();
            return result;
        }
        if (line.dwComponentType == componentType) {
            m_destination = line;
            return MMSYSERR_NOERROR;
        }
    }
    Close();
    return kNotPossible;
}

MMRESULT CMixerDevice::ReadControls(const MIXERLINEA& line, std::vector<MIXERCONTROLA>* controls) const
{
    controls->assign(line.cControls, MIXERCONTROLA{});
    // A line without controls has nothing to ask (the query refuses a count of 0).
    if (line.cControls == 0)
        return MMSYSERR_NOERROR;
    MIXERLINECONTROLSA query{};
    query.cbStruct = sizeof query;
    query.dwLineID = line.dwLineID;
    query.cControls = line.cControls;
    query.cbmxctrl = sizeof(MIXERCONTROLA);
    query.pamxctrl = controls->data();
    MMRESULT result =
        ::mixerGetLineControlsA(Object(m_mixer), &query, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL);
    if (result != MMSYSERR_NOERROR)
        controls->clear();
    return result;
}

MMRESULT CMixerDevice::FindControl(const MIXERLINEA& line, DWORD controlId, MIXERCONTROLA* control) const
{
    *control = MIXERCONTROLA{};
    control->cbStruct = sizeof *control;
    MIXERLINECONTROLSA query{};
    query.cbStruct = sizeof query;
    query.dwControlID = controlId;
    query.cControls = 1;
    query.cbmxctrl = sizeof *control;
    query.pamxctrl = control;
    MMRESULT result =
        ::mixerGetLineControlsA(Object(m_mixer), &query, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYID);
    if (result != MMSYSERR_NOERROR || control->dwControlID == controlId)
        return result;
    // Some drivers answer with another control of the mixer (Wine's gives a source line's
    // volume for the destination's): take the one asked for from its line's list.
    std::vector<MIXERCONTROLA> controls;
    result = ReadControls(line, &controls);
    if (result != MMSYSERR_NOERROR)
        return result;
    for (const MIXERCONTROLA& candidate : controls)
        if (candidate.dwControlID == controlId) {
            *control = candidate;
            return MMSYSERR_NOERROR;
        }
    return kNotPossible;
}

MMRESULT CMixerDevice::ReadLines()
{
    if (!m_mixer)
        return kNotPossible;
    m_lines.clear();
    std::vector<MIXERCONTROLA> controls;
    MMRESULT result = ReadControls(m_destination, &controls);
    if (result != MMSYSERR_NOERROR)
        return result;
    for (const MIXERCONTROLA& control : controls)
        if (control.dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME)
            m_lines.push_back(Record(m_mixerId, m_destination, control.dwControlID, control.szName));

    for (DWORD index = 0; index < m_destination.cConnections; ++index) {
        MIXERLINEA source{};
        source.cbStruct = sizeof source;
        source.dwDestination = m_destination.dwDestination;
        source.dwSource = index;
        if (::mixerGetLineInfoA(Object(m_mixer), &source, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE) !=
                MMSYSERR_NOERROR ||
            ReadControls(source, &controls) != MMSYSERR_NOERROR)
            continue; // one unreadable source does not hide the others
        for (const MIXERCONTROLA& control : controls)
            if (control.dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME)
                m_lines.push_back(Record(m_mixerId, source, control.dwControlID, source.szName));
    }
    return MMSYSERR_NOERROR;
}

MMRESULT CMixerDevice::ReadSourceList()
{
    if (!m_mixer)
        return kNotPossible;
    m_sourceItems.clear();
    std::vector<MIXERCONTROLA> controls;
    MMRESULT result = ReadControls(m_destination, &controls);
    if (result != MMSYSERR_NOERROR)
        return result;
    const MIXERCONTROLA* selector = nullptr;
    for (const MIXERCONTROLA& control : controls)
        if (control.dwControlType == MIXERCONTROL_CONTROLTYPE_MUX) {
            selector = &control;
            break;
        }
    if (!selector)
        return kNotPossible;

    MIXERCONTROLA control;
    result = FindControl(m_destination, selector->dwControlID, &control);
    if (result != MMSYSERR_NOERROR)
        return result; // with the list empty
    if (control.dwControlType == 0)
        return kNotPossible;

    DWORD count = ValueCount(control, m_destination.cChannels);
    if (count == 0)
        return kNotPossible;
    std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(count, MIXERCONTROLDETAILS_LISTTEXTA{});
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : m_destination.cChannels;
    details.cMultipleItems = (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 0;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXTA);
    details.paDetails = texts.data();
    result =
        ::mixerGetControlDetailsA(Object(m_mixer), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_LISTTEXT);
    if (result != MMSYSERR_NOERROR)
        return result;
    for (const MIXERCONTROLDETAILS_LISTTEXTA& text : texts) {
        MixerSourceItem item{};
        memcpy(item.name, text.szName, sizeof item.name);
        m_sourceItems.push_back(item);
    }

    if ((control.dwControlType & MIXERCONTROL_CT_UNITS_MASK) != MIXERCONTROL_CT_UNITS_BOOLEAN)
        return kNotPossible;
    std::vector<MIXERCONTROLDETAILS_BOOLEAN> values(count, MIXERCONTROLDETAILS_BOOLEAN{});
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_BOOLEAN);
    details.paDetails = values.data();
    result =
        ::mixerGetControlDetailsA(Object(m_mixer), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
    if (result != MMSYSERR_NOERROR)
        return result;
    for (DWORD k = 0; k < count; ++k)
        m_sourceItems[k].selected = (DWORD)values[k].fValue;
    return MMSYSERR_NOERROR;
}

int CMixerDevice::FindLine(DWORD controlId) const
{
    if (!m_mixer)
        return -1;
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].controlId == controlId)
            return (int)i;
    return -1;
}

MMRESULT CMixerDevice::PrepareValue(DWORD controlId, MIXERLINEA* line, MIXERCONTROLA* control, DWORD* count) const
{
    int index = FindLine(controlId);
    if (index < 0)
        return kNotPossible;
    *line = MIXERLINEA{};
    line->cbStruct = sizeof *line;
    line->dwLineID = m_lines[index].lineId;
    MMRESULT result = ::mixerGetLineInfoA(Object(m_mixer), line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_LINEID);
    if (result != MMSYSERR_NOERROR)
        return result;

    result = FindControl(*line, controlId, control);
    if (result != MMSYSERR_NOERROR)
        return result;
    if (control->dwControlType == 0)
        return kNotPossible;
    *count = ValueCount(*control, line->cChannels);
    if (*count == 0 || (control->dwControlType & MIXERCONTROL_CT_UNITS_MASK) != MIXERCONTROL_CT_UNITS_UNSIGNED)
        return kNotPossible;
    return MMSYSERR_NOERROR;
}

namespace {

MIXERCONTROLDETAILS ValueDetails(const MIXERLINEA& line, const MIXERCONTROLA& control,
                                 std::vector<MIXERCONTROLDETAILS_UNSIGNED>& values)
{
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : line.cChannels;
    details.cMultipleItems = (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 0;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
    details.paDetails = values.data();
    return details;
}

} // namespace

MMRESULT CMixerDevice::GetControlValue(DWORD controlId, DWORD* packed)
{
    MIXERLINEA line;
    MIXERCONTROLA control;
    DWORD count = 0;
    MMRESULT result = PrepareValue(controlId, &line, &control, &count);
    if (result != MMSYSERR_NOERROR)
        return result;
    std::vector<MIXERCONTROLDETAILS_UNSIGNED> values(count, MIXERCONTROLDETAILS_UNSIGNED{});
    MIXERCONTROLDETAILS details = ValueDetails(line, control, values);
    result =
        ::mixerGetControlDetailsA(Object(m_mixer), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
    if (result == MMSYSERR_NOERROR && packed)
        *packed = PackMixerValues(values.data(), count);
    return result;
}

MMRESULT CMixerDevice::SetControlValue(DWORD controlId, DWORD packed)
{
    MIXERLINEA line;
    MIXERCONTROLA control;
    DWORD count = 0;
    MMRESULT result = PrepareValue(controlId, &line, &control, &count);
    if (result != MMSYSERR_NOERROR)
        return result;
    std::vector<MIXERCONTROLDETAILS_UNSIGNED> values(count, MIXERCONTROLDETAILS_UNSIGNED{});
    UnpackMixerValue(packed, values.data(), count);
    MIXERCONTROLDETAILS details = ValueDetails(line, control, values);
    return ::mixerSetControlDetails(Object(m_mixer), &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE);
}
