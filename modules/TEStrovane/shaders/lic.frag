#version 150
// Line integral convolution: averages the image along the flow line through
// each pixel, both ways, with Gaussian weights, up to 2 sigma of path.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D imnoise;
uniform sampler2D tfm;
uniform float sigma;
uniform vec2 imgSize;

// Where linear filtering averages opposite tangents the tangent nearly
// vanishes and the step would be unbounded: that direction stops there.
const float kMinTangent = 1e-3;

void trace(vec2 direction, inout vec3 c, inout float w)
{
    float L = 2.0 * sigma;
    float twoSigma2 = 2.0 * sigma * sigma;
    vec2 q = uv;
    float s = 0.0;
    while (s < L) {
        vec2 t = texture(tfm, q).xy;
        if (dot(t, direction) < 0.0)
            t = -t;
        if (max(abs(t.x), abs(t.y)) < kMinTangent)
            break;
        direction = t;
        float ds = abs(t.x) > abs(t.y) ? abs((fract(q.x) - 0.5 - sign(t.x)) / t.x)
                                       : abs((fract(q.y) - 0.5 - sign(t.y)) / t.y);
        q += t * ds / imgSize;
        s += ds;
        float k = ds * exp(-s * s / twoSigma2);
        c += k * texture(imnoise, q).rgb;
        w += k;
    }
}

void main()
{
    vec3 c = texture(imnoise, uv).rgb;
    float w = 1.0;
    vec2 t = texture(tfm, uv).xy;
    trace(t, c, w);
    trace(-t, c, w);
    fragColor = vec4(c / w, 1.0);
}
