#version 150
// Separable Gaussian of standard deviation `radius`, taps out to 2 sigma.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D img;
uniform vec2 imageSize;
uniform float radius;
uniform float isVertical;

void main()
{
    vec2 o = mix(vec2(1.0 / imageSize.x, 0.0), vec2(0.0, 1.0 / imageSize.y), isVertical);
    vec4 sum = texture(img, uv);
    float norm = 1.0;
    for (float n = 1.0; n <= 2.0 * radius; n += 1.0) {
        float k = exp(-n * n / (2.0 * radius * radius));
        sum += k * (texture(img, uv + n * o) + texture(img, uv - n * o));
        norm += 2.0 * k;
    }
    fragColor = sum / norm;
}
