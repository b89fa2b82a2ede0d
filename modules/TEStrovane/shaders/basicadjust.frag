#version 150
// Exposure, highlights, shadows and contrast on the edge-preserving base
// layer; the fine detail is carried over by the luma gain.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D src;
uniform sampler2D src_s;
uniform float exposure;
uniform float contrast;
uniform float highlight;
uniform float shadow;

const vec3 kLuma = vec3(0.299, 0.587, 0.114);

void main()
{
    vec4 o = texture(src, uv);
    vec4 b = texture(src_s, uv);
    float Y = dot(o.rgb, kLuma);
    float sY = dot(b.rgb, kLuma);
    float detail = Y - sY;
    sY = exp(log(sY + 0.001) + detail * (exposure + 1.0)) - 0.001;
    // The powers below are undefined for a negative base.
    sY = max(sY, 0.0);
    float h = pow(sY, 1.0 + highlight);
    sY = mix(sY, h, exp(-(sY - 0.9) * (sY - 0.9) / 0.1));
    h = pow(sY, 1.0 - shadow / 4.0);
    sY = mix(sY, h, exp(-(sY - 0.1) * (sY - 0.1) / 0.04));
    float c = contrast + 1.0;
    float l = clamp(sY, 0.0, 1.0);
    float t = 2.0 * l;
    if (l > 0.5)
        t = 2.0 - t;
    t = pow(t, c) / 2.0;
    if (l > 0.5)
        t = 1.0 - t;
    float gain = clamp((t + 0.01) / (Y + 0.01), 0.0, 4.0);
    fragColor = vec4(o.rgb * gain, o.a);
}
