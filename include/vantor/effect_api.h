#pragma once

// The contract between the host and an effects library at the level of
// compiled code: plain abstract classes whose virtual functions sit in the
// order given, and one exported registration function with C linkage. A
// library must be built with the host's compiler ABI.

// Display texts written by IEffect::FormatValue never exceed this many bytes,
// the terminator included; callers provide a buffer at least this large.
constexpr int kEffectTextCapacity = 64;

class IEffect;

class IEffectManager {
public:
    // 1 when registered; 0 when an effect type of that name exists already
    // (the refused object is not freed).
    virtual int RegisterEffect(IEffect* effect) = 0;

protected:
    ~IEffectManager() = default;
};

// One parameter's envelope, walked span by span. Positions are song frames.
class IEffectEntry {
public:
    virtual const char* GetParameterName() = 0;
    virtual unsigned int GetStart() = 0;
    virtual unsigned int GetEnd() = 0;
    virtual double GetStartValue() = 0;
    virtual double GetEndValue() = 0;
    virtual bool IsValid() = 0;
    // Back to the span the entry was bound to; valid again.
    virtual void Rewind() = 0;
    // To the following span; without one the entry becomes invalid (false).
    virtual bool Next() = 0;
    // When valid, to the preceding span if there is one; when invalid,
    // valid again without moving (false).
    virtual bool Prev() = 0;

protected:
    ~IEffectEntry() = default;
};

// One running instance of an effect with its own state.
class IEffectProcessor {
public:
    virtual const char* GetName() = 0;
    // Sets the sample format and clears all state.
    virtual int Init(int bitsPerSample, int channels) = 0;
    // Changes the PCM bytes in place. position is the block's first frame in
    // resampled song frames, ratio the segment's rate ratio, entries one per
    // parameter that is set. 0 when the sample format is not supported (the
    // block is left unchanged), else 1.
    virtual int Process(unsigned int position, double ratio, int entryCount, IEffectEntry** entries,
                        void* buffer, unsigned int byteCount) = 0;
    // Fixes a parameter from a live control: level counted from the bottom of
    // a control of range units.
    virtual bool SetParameterLevel(int level, int range, const char* parameterName) = 0;
    virtual void Delete() = 0;

protected:
    ~IEffectProcessor() = default;
};

// One effect type.
class IEffect {
public:
    virtual const char* GetName() = 0;
    virtual void Delete() = 0;
    virtual int GetParameterCount() = 0;
    // Null past the last parameter.
    virtual const char* GetParameterName(int index) = 0;
    virtual bool IsEnvelopeFixed(const char* parameterName) = 0;
    // A new processor, owned by the caller (who ends it with Delete).
    virtual IEffectProcessor* CreateProcessor() = 0;
    // Position of a value on a vertical control of range units, 0 at the top.
    virtual int ValueToPosition(const char* parameterName, double value, int range) = 0;
    virtual double PositionToValue(const char* parameterName, int position, int range) = 0;
    // Writes the value's display text into buffer (kEffectTextCapacity bytes)
    // and returns buffer.
    virtual char* FormatValue(const char* parameterName, double value, char* buffer) = 0;
    virtual double GetDefaultValue(const char* parameterName) = 0;

protected:
    ~IEffect() = default;
};

// Exported by every effects library: creates its effect types and passes
// each to RegisterEffect. The host ignores the result.
extern "C" int EffectRegEntryPoint(IEffectManager* manager);
