#version 150
// One direction of the flow-guided bilateral filter: across the flow
// (pass 0) or along it (pass 1), one pixel per step on the dominant axis.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D img;
uniform sampler2D tfm;
uniform int pass;
uniform float sigma_d;
uniform float sigma_r;
uniform vec2 img_size;

void main()
{
    vec2 t = texture(tfm, uv).xy;
    vec2 d = pass == 0 ? vec2(t.y, -t.x) : t;
    float dominant = max(abs(d.x), abs(d.y));
    vec3 centre = texture(img, uv).rgb;
    vec3 sum = centre;
    float norm = 1.0;
    if (dominant > 0.0) {
        float ds = 1.0 / dominant;
        d /= img_size;
        float twoSigmaD2 = 2.0 * sigma_d * sigma_d;
        float twoSigmaR2 = 2.0 * sigma_r * sigma_r;
        for (float s = ds; s <= 2.0 * sigma_d; s += ds) {
            vec3 c0 = texture(img, uv + s * d).rgb;
            vec3 c1 = texture(img, uv - s * d).rgb;
            float kd = exp(-s * s / twoSigmaD2);
            vec3 e0 = c0 - centre;
            vec3 e1 = c1 - centre;
            float k0 = kd * exp(-dot(e0, e0) / twoSigmaR2);
            float k1 = kd * exp(-dot(e1, e1) / twoSigmaR2);
            norm += k0 + k1;
            sum += k0 * c0 + k1 * c1;
        }
    }
    fragColor = vec4(sum / norm, 1.0);
}
